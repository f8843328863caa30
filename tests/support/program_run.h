#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a program run by a test printed and how it ended.
struct ProgramResult {
    int exitCode = -1; // -1: did not end normally within two minutes
    QString output;
    QString errors;

    QStringList outputLines() const { return output.split(u'\n', Qt::SkipEmptyParts); }
    QStringList errorLines() const { return errors.split(u'\n', Qt::SkipEmptyParts); }
};

// Runs a program to its end, as the user would from a shell.
inline ProgramResult
runProgram(const QString& program, const QStringList& arguments,
           const QString& workingDirectory = {},
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}
