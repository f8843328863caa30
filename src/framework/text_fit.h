#pragma once

#include <QString>
#include <QStringView>

class QFontMetrics;
class QLabel;
class QLineEdit;

// Measures for laying out controls so that the widest value they can hold shows in full, in
// whatever font the control actually gets.
namespace framework {

// `length` times the widest of `characters` as `metrics` draws it: the widest text of that
// length written with those characters.
QString widestText(const QFontMetrics& metrics, QStringView characters, int length);

// The widest name a text field of `size` characters holds when it is written in capital
// letters (the Danish ones too) and digits, as tape names are.
QString widestName(const QFontMetrics& metrics, int size);

// The widest number of `digits` digits.
QString widestNumber(const QFontMetrics& metrics, int digits);

// The width an edit box or a label needs to show `text` in full, frame and margins included.
int widthToShow(const QLineEdit& edit, const QString& text);
int widthToShow(const QLabel& label, const QString& text);

} // namespace framework
