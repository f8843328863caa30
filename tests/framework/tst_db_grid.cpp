#include "data_controls_fixture.h"
#include "engine/field.h"
#include "engine/query.h"
#include "framework/db_grid.h"
#include "framework/db_navigator.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace framework;

namespace {

QVariantMap category(const QString& name) {
    return {{QStringLiteral("Kategori"), name}};
}

QVariantMap actor(const QString& first, const QString& last) {
    return {{QStringLiteral("Fornavn"), first}, {QStringLiteral("Efternavn"), last}};
}

struct GridFixture : ControlsFixture {
    DBGrid* grid = add(new DBGrid);

    bool open(const engine::TableDef& def, const std::vector<QVariantMap>& rows,
              const std::vector<GridColumn>& columns, const QString& index = QString()) {
        if (!ControlsFixture::open(def, rows, index))
            return false;
        grid->setObjectName(QStringLiteral("DBGrid1"));
        grid->setColumns(columns);
        grid->setDataSource(&source);
        if (!show())
            return false;
        grid->setFocus(Qt::TabFocusReason);
        return grid->hasFocus();
    }

    // Typing on the grid opens the cell editor; the rest of the text goes to the editor.
    void type(const QString& text) {
        QTest::keyClicks(grid, text.left(1));
        if (text.size() > 1)
            QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    void click(int row, int column = 0) {
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }
    void goToColumn(int column) {
        grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), column));
    }
    QString cell(int row, int column = 0) const {
        return grid->model()->index(row, column).data().toString();
    }
    int rows() const { return grid->model()->rowCount(); }
    int currentRow() const { return grid->currentIndex().row(); }
    QString field(const QString& name) const { return table->fieldByName(name).asString(); }
    // The focus of the window (also while a message box has just closed and the window is
    // not active again yet) is in the cell editor.
    bool cellEditorOpen() const {
        QWidget* focus = window.focusWidget();
        return focus && focus->objectName() == QStringLiteral("CellEditor");
    }
};

const std::vector<GridColumn> kCategoryColumns{
    {QStringLiteral("Kategori"), QStringLiteral("Kategori"), 232, {}}};
const std::vector<GridColumn> kTapeColumns{
    {QStringLiteral("BaandNavn"), QStringLiteral("Bånd navn"), 61, {}},
    {QStringLiteral("Baandlaengde"),
     QStringLiteral("Længde i min."),
     -1,
     {QStringLiteral("300"), QStringLiteral("240"), QStringLiteral("180"), QStringLiteral("160"),
      QStringLiteral("120"), QStringLiteral("60"), QStringLiteral("30")}}};
const std::vector<GridColumn> kActorColumns{
    {QStringLiteral("Fornavn"), QStringLiteral("Fornavn"), 149, {}},
    {QStringLiteral("Efternavn"), QStringLiteral("Efternavn"), 137, {}},
    {QStringLiteral("Fodtdato"), QStringLiteral("Født dato"), 68, {}}};

} // namespace

class TestDBGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void columnsTitlesAndWidths() {
        GridFixture f;
        QVERIFY(f.open(schema::tapes(), {{{"BaandNavn", "A1"}, {"Baandlaengde", 240}}},
                       {{QStringLiteral("BaandNavn"), QString(), 61, {}},
                        {QStringLiteral("Baandlaengde"), QStringLiteral("Længde"), -1, {}}}));
        QCOMPARE(f.grid->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Bånd navn"));
        QCOMPARE(f.grid->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Længde"));
        QCOMPARE(f.grid->columnWidth(0), 61);
        QCOMPARE(f.cell(0, 0), QStringLiteral("A1"));
        QCOMPARE(f.cell(0, 1), QStringLiteral("240"));

        f.grid->setColumns({});
        QCOMPARE(f.grid->model()->columnCount(), int(schema::tapes().fields.size()));
    }

    void readOnlyGridSelectsWholeRowsAndChangesNothing() {
        GridFixture f;
        f.grid->setReadOnly(true);
        QVERIFY(f.open(schema::categories(),
                       {category("Krimi"), category("Western"), category("Drama")},
                       kCategoryColumns));
        QCOMPARE(f.grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(f.grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        f.type(QStringLiteral("x"));
        f.key(Qt::Key_Insert);
        f.key(Qt::Key_Delete, Qt::ControlModifier);
        f.key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.rows(), 3);
        QVERIFY(f.messages.empty());
        QCOMPARE(f.table->recNo(), 3);

        f.click(1);
        QCOMPARE(f.table->recNo(), 2);
        QVERIFY(f.grid->selectionModel()->isRowSelected(1, QModelIndex()));
        f.table->first();
        QCOMPARE(f.currentRow(), 0);
        QVERIFY(f.grid->selectionModel()->isRowSelected(0, QModelIndex()));
    }

    void readOnlyGridOverAQuery() {
        GridFixture f;
        f.grid->setReadOnly(true);
        QVERIFY(f.open(schema::categories(), {category("Krimi"), category("Western")},
                       kCategoryColumns));
        engine::Query query(f.catalogue.session());
        query.setAliasName(QString::fromUtf8(schema::kAlias));
        query.setSql(
            {QStringLiteral("SELECT * FROM \"Kategori.db\""), QStringLiteral("ORDER BY Kategori")});
        query.open();
        DataSource querySource;
        querySource.setDataSet(&query);
        f.grid->setDataSource(&querySource);
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.cell(1), QStringLiteral("Western"));
        f.click(1);
        QCOMPARE(query.recNo(), 2);
        QSignalSpy doubleClicks(f.grid, &DBGrid::dblClick);
        const QRect cell = f.grid->visualRect(f.grid->model()->index(0, 0));
        QTest::mouseDClick(f.grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCOMPARE(doubleClicks.count(), 1);
        QCOMPARE(query.recNo(), 1);
    }

    void typingEditsTheCurrentRowAndMovingPostsIt() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("Krimi"), category("Western")},
                       kCategoryColumns));
        QCOMPARE(f.currentRow(), 0);
        f.type(QStringLiteral("Drama"));
        QVERIFY(f.cellEditorOpen());
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QCOMPARE(f.field(QStringLiteral("Kategori")), QStringLiteral("Drama"));
        f.key(Qt::Key_Down);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.currentRow(), 1);
        QCOMPARE(f.table->recNo(), 2);
        QVERIFY(!f.cellEditorOpen());
        QCOMPARE(f.catalogue.openTable(schema::categories())
                     ->fieldByName(QStringLiteral("Kategori"))
                     .asString(),
                 QStringLiteral("Drama"));
        QVERIFY(f.messages.empty());
    }

    void escapeTakesBackTheCellThenTheRow() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("Krimi")}, kCategoryColumns));
        f.type(QStringLiteral("Drama"));
        f.key(Qt::Key_Escape);
        QVERIFY(!f.cellEditorOpen());
        QCOMPARE(f.field(QStringLiteral("Kategori")), QStringLiteral("Krimi"));
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        f.key(Qt::Key_Escape);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
    }

    void enterPostsTheRow() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("Krimi")}, kCategoryColumns));
        f.type(QStringLiteral("Drama"));
        f.key(Qt::Key_Return);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QVERIFY(!f.cellEditorOpen());
        QCOMPARE(f.cell(0), QStringLiteral("Drama"));
    }

    void insertKeyInsertsARowAtTheCurrentPlace() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("A"), category("B"), category("C")},
                       kCategoryColumns));
        f.table->setRecNo(2);
        QCOMPARE(f.currentRow(), 1);
        f.key(Qt::Key_Insert);
        QCOMPARE(f.table->state(), engine::DatasetState::Insert);
        QCOMPARE(f.rows(), 4);
        QCOMPARE(f.currentRow(), 1);
        QCOMPARE(f.cell(1), QString());
        QCOMPARE(f.cell(2), QStringLiteral("B"));
        QCOMPARE(f.grid->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("*"));
        f.type(QStringLiteral("Ny"));
        f.key(Qt::Key_Return);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.table->recordCount(), 4);
        QCOMPARE(f.field(QStringLiteral("Kategori")), QStringLiteral("Ny"));
        QCOMPARE(f.cell(f.currentRow()), QStringLiteral("Ny"));
    }

    void movingDownPastTheLastRowAppends() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("A"), category("B")}, kCategoryColumns));
        f.table->last();
        f.key(Qt::Key_Down);
        QCOMPARE(f.table->state(), engine::DatasetState::Insert);
        QCOMPARE(f.rows(), 3);
        QCOMPARE(f.currentRow(), 2);
        f.key(Qt::Key_Down); // an empty new row is not followed by another
        QCOMPARE(f.rows(), 3);
        f.type(QStringLiteral("C"));
        f.key(Qt::Key_Down);
        QCOMPARE(f.table->recordCount(), 3);
        QCOMPARE(f.table->state(), engine::DatasetState::Insert);
        QCOMPARE(f.rows(), 4);
        QCOMPARE(f.currentRow(), 3);
        f.key(Qt::Key_Up); // leaving the empty new row drops it
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.rows(), 3);
        QCOMPARE(f.currentRow(), 2);
        QCOMPARE(f.cell(2), QStringLiteral("C"));
    }

    void typingIntoAnEmptyTableStartsItsFirstRow() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {}, kCategoryColumns));
        QCOMPARE(f.rows(), 1); // the blank row to type into
        f.type(QStringLiteral("Krimi"));
        QCOMPARE(f.table->state(), engine::DatasetState::Insert);
        QCOMPARE(f.rows(), 1);
        f.key(Qt::Key_Down);
        QCOMPARE(f.table->recordCount(), 1);
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.table->state(), engine::DatasetState::Insert);
    }

    void ctrlDeleteAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("OK deletes") << int(MessageButton::Ok) << QStringList{"A", "C"};
        QTest::newRow("Cancel keeps") << int(MessageButton::Cancel) << QStringList{"A", "B", "C"};
    }
    void ctrlDeleteAsks() {
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("A"), category("B"), category("C")},
                       kCategoryColumns));
        f.table->setRecNo(2);
        f.answer = MessageButton(answer);
        f.key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.messages.size(), std::size_t(1));
        const MessageRequest& asked = f.messages.front();
        QCOMPARE(asked.caption, QStringLiteral("Confirm"));
        QCOMPARE(asked.text, QStringLiteral("Delete record?"));
        QCOMPARE(asked.buttons,
                 (std::vector<MessageButton>{MessageButton::Ok, MessageButton::Cancel}));
        QStringList shown;
        for (int row = 0; row < f.rows(); ++row)
            shown << f.cell(row);
        QCOMPARE(shown, left);
        QCOMPARE(f.catalogue.rowCount(schema::categories()), int(left.size()));
    }

    // The real box, answered by clicking its OK button.
    void ctrlDeleteWithTheRealBox() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("A"), category("B")}, kCategoryColumns));
        ScopedMessageHandler realBox{MessageHandler()};
        QString title, text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            if (auto* ok = box->findChild<QPushButton*>(QStringLiteral("OKButton")))
                ok->click();
        });
        QVERIFY(f.grid->deleteRecord());
        QCOMPARE(title, QStringLiteral("Confirm"));
        QCOMPARE(text, QStringLiteral("Delete record?"));
        QCOMPARE(f.rows(), 1);
        QCOMPARE(f.cell(0), QStringLiteral("B"));
    }

    void ctrlDeleteInTheCellEditorDeletesTheRow() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("A"), category("B")}, kCategoryColumns));
        f.type(QStringLiteral("X"));
        QVERIFY(f.cellEditorOpen());
        f.key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.messages.size(), std::size_t(1));
        QCOMPARE(f.rows(), 1);
        QCOMPARE(f.cell(0), QStringLiteral("B"));
    }

    // A row the table refuses stays in the editor with the user's input.
    void requiredFieldRefusesThePost() {
        GridFixture f;
        QVERIFY(f.open(schema::tapes(), {}, kTapeColumns));
        f.goToColumn(1);
        f.type(QStringLiteral("240"));
        f.key(Qt::Key_Return);
        QCOMPARE(f.lastMessage(), QStringLiteral("Field 'Bånd navn' must have a value"));
        QCOMPARE(f.table->state(), engine::DatasetState::Insert);
        QCOMPARE(f.field(QStringLiteral("Baandlaengde")), QStringLiteral("240"));
        f.goToColumn(0);
        f.type(QStringLiteral("A12"));
        f.key(Qt::Key_Return);
        QCOMPARE(f.messages.size(), std::size_t(1));
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.catalogue.rowCount(schema::tapes()), 1);
    }

    void refusedCellKeepsItsEditor_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("key");
        QTest::newRow("out of range, Enter")
            << "601"
            << "601 is not a valid value for field 'Længde i min.'. The allowed range is 0 to 600"
            << int(Qt::Key_Return);
        QTest::newRow("out of range, moving down")
            << "601"
            << "601 is not a valid value for field 'Længde i min.'. The allowed range is 0 to 600"
            << int(Qt::Key_Down);
        QTest::newRow("no number, Tab") << "1x"
                                        << "'1x' is not a valid integer value" << int(Qt::Key_Tab);
    }
    void refusedCellKeepsItsEditor() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, key);
        GridFixture f;
        QVERIFY(f.open(schema::tapes(),
                       {{{"BaandNavn", "A1"}, {"Baandlaengde", 240}},
                        {{"BaandNavn", "A2"}, {"Baandlaengde", 180}}},
                       {kTapeColumns[0], {QStringLiteral("Baandlaengde"), QString(), -1, {}}}));
        f.goToColumn(1);
        f.type(typed);
        f.key(key);
        QCOMPARE(f.messages.size(), std::size_t(1));
        QCOMPARE(f.lastMessage(), message);
        QVERIFY(f.cellEditorOpen());
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), typed);
        QCOMPARE(f.currentRow(), 0);
        QCOMPARE(f.grid->currentIndex().column(), 1);
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
    }

    void pickListOffersValuesInAFreeBox() {
        GridFixture f;
        QVERIFY(
            f.open(schema::tapes(), {{{"BaandNavn", "A1"}, {"Baandlaengde", 240}}}, kTapeColumns));
        f.goToColumn(1);
        f.key(Qt::Key_F2);
        auto* combo =
            qobject_cast<QComboBox*>(f.grid->findChild<QComboBox*>(QStringLiteral("CellEditor")));
        QVERIFY(combo);
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 7);
        QCOMPARE(combo->itemText(0), QStringLiteral("300"));
        QCOMPARE(combo->currentText(), QStringLiteral("240"));
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("90"));
        QCOMPARE(f.field(QStringLiteral("Baandlaengde")), QStringLiteral("90"));
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.cell(0, 1), QStringLiteral("90"));
    }

    // A date column is edited through its mask and refuses a date that does not exist.
    void dateColumnThroughItsMask() {
        GridFixture f;
        QVERIFY(f.open(
            schema::actors(),
            {{{"Fornavn", "Ib"}, {"Efternavn", "Schønberg"}, {"Fodtdato", dayOf(1907, 10, 30)}}},
            kActorColumns, QStringLiteral("SecEfternavn")));
        QCOMPARE(f.cell(0, 2), QStringLiteral("30-10-1907"));
        f.goToColumn(2);
        f.key(Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->displayText(), QStringLiteral("30-10-1907"));
        editor->setCursorPosition(0);
        QTest::keyClicks(editor, QStringLiteral("31021990"));
        f.key(Qt::Key_Return);
        QCOMPARE(f.lastMessage(), QStringLiteral("'31-02-1990' is not a valid date"));
        QVERIFY(f.cellEditorOpen());
        editor->setCursorPosition(0);
        QTest::keyClicks(editor, QStringLiteral("05111937"));
        f.key(Qt::Key_Return);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.cell(0, 2), QStringLiteral("05-11-1937"));
    }

    // Clicking another row posts the edited one; the grid lands on the clicked actor even
    // when the posted row moved to its new place in the index order.
    void clickingARowAfterAnEdit_data() {
        QTest::addColumn<bool>("insert");
        QTest::addColumn<int>("editedRow");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QString>("landsOn");
        QTest::newRow("edited row moves behind the clicked one")
            << false << 0 << "Dahl" << 2 << "Carlsen";
        QTest::newRow("edited row moves before the clicked one")
            << false << 2 << "Abel" << 1 << "Berg";
        QTest::newRow("edited row stays") << false << 1 << "Bech" << 2 << "Carlsen";
        QTest::newRow("new row lands before the clicked one")
            << true << 1 << "Abel" << 3 << "Carlsen";
        QTest::newRow("new row lands behind the clicked one")
            << true << 1 << "Ørsted" << 0 << "Andersen";
        QTest::newRow("empty new row is dropped") << true << 1 << "" << 3 << "Carlsen";
    }
    void clickingARowAfterAnEdit() {
        QFETCH(bool, insert);
        QFETCH(int, editedRow);
        QFETCH(QString, typed);
        QFETCH(int, clickedRow);
        QFETCH(QString, landsOn);
        GridFixture f;
        QVERIFY(f.open(schema::actors(),
                       {actor("Hans", "Carlsen"), actor("Ole", "Andersen"), actor("Eva", "Berg")},
                       kActorColumns, QStringLiteral("SecEfternavn")));
        f.table->setRecNo(editedRow + 1);
        f.goToColumn(1);
        if (insert)
            f.key(Qt::Key_Insert);
        if (!typed.isEmpty())
            f.type(typed);
        f.click(clickedRow, 1);
        QVERIFY(f.messages.empty());
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.field(QStringLiteral("Efternavn")), landsOn);
        QCOMPARE(f.cell(f.currentRow(), 1), landsOn);
        QCOMPARE(f.table->recordCount(), insert && !typed.isEmpty() ? 4 : 3);
    }

    void leavingTheGridPostsAChangedRow() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("Krimi")}, kCategoryColumns));
        QSignalSpy entered(f.grid, &DBGrid::entered);
        f.type(QStringLiteral("Drama"));
        f.elsewhere->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.field(QStringLiteral("Kategori")), QStringLiteral("Drama"));
        f.grid->setFocus(Qt::TabFocusReason);
        QCOMPARE(entered.count(), 1);
    }

    // Leaving the grid with a cell the field refuses: the real box, then the editor again.
    void leavingWithARefusedCellWithTheRealBox() {
        GridFixture f;
        QVERIFY(f.open(schema::tapes(), {{{"BaandNavn", "A1"}, {"Baandlaengde", 240}}},
                       {kTapeColumns[0], {QStringLiteral("Baandlaengde"), QString(), -1, {}}}));
        ScopedMessageHandler realBox{MessageHandler()};
        QString text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            text = box->text();
            box->accept();
        });
        f.goToColumn(1);
        f.type(QStringLiteral("700"));
        f.elsewhere->setFocus(Qt::TabFocusReason);
        QCOMPARE(text, QStringLiteral("700 is not a valid value for field 'Længde i min.'. The "
                                      "allowed range is 0 to 600"));
        QVERIFY(f.cellEditorOpen());
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QCOMPARE(f.field(QStringLiteral("Baandlaengde")), QStringLiteral("70"));
    }

    // An unchanged row put into edit stays in edit when the focus leaves.
    void leavingTheGridKeepsAnUnchangedEdit() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("Krimi")}, kCategoryColumns));
        f.table->edit();
        f.elsewhere->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
    }

    // A navigator move takes the open cell's text with the row, or stops at a refused one.
    void navigatorMoveWithAnOpenCell_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("moves");
        QTest::newRow("taken") << "90" << true;
        QTest::newRow("refused") << "900" << false;
    }
    void navigatorMoveWithAnOpenCell() {
        QFETCH(QString, typed);
        QFETCH(bool, moves);
        GridFixture f;
        auto* navigator = f.add(new DBNavigator);
        navigator->setDataSource(&f.source);
        QVERIFY(f.open(schema::tapes(),
                       {{{"BaandNavn", "A1"}, {"Baandlaengde", 240}},
                        {{"BaandNavn", "A2"}, {"Baandlaengde", 180}}},
                       {kTapeColumns[0], {QStringLiteral("Baandlaengde"), QString(), -1, {}}}));
        f.goToColumn(1);
        f.type(typed);
        QCOMPARE(navigator->click(DBNavigator::Next), moves);
        QCOMPARE(f.currentRow(), moves ? 1 : 0);
        QCOMPARE(f.table->recNo(), moves ? 2 : 1);
        QCOMPARE(f.cellEditorOpen(), !moves);
        QCOMPARE(f.messages.size(), std::size_t(moves ? 0 : 1));
        QCOMPARE(f.cell(0, 1), moves ? typed : QStringLiteral("90"));
    }

    // The dataset's moves and the grid's current row stay together.
    void gridFollowsTheDataset() {
        GridFixture f;
        QVERIFY(f.open(schema::categories(), {category("A"), category("B"), category("C")},
                       kCategoryColumns));
        f.table->last();
        QCOMPARE(f.currentRow(), 2);
        QCOMPARE(f.grid->model()->headerData(2, Qt::Vertical).toString(), QString(QChar(0x25B6)));
        QCOMPARE(f.grid->model()->headerData(0, Qt::Vertical).toString(), QString());
        f.key(Qt::Key_Up);
        QCOMPARE(f.table->recNo(), 2);
        f.key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(f.table->recNo(), 1);
        f.table->close();
        QCOMPARE(f.rows(), 0);
        f.table->open();
        QCOMPARE(f.rows(), 3);
        QCOMPARE(f.currentRow(), 0);
    }
};

QTEST_MAIN(TestDBGrid)
#include "tst_db_grid.moc"
