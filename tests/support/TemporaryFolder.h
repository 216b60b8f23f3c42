#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh folder for one test, removed with everything in it when the test ends.
class TTemporaryFolder
{
public:
    TTemporaryFolder();

    QString Path() const { return Folder_.path(); }
    QString FilePath(const QString& Name) const { return Folder_.filePath(Name); }
    // Writes a file below the folder and returns its path; the test fails when it cannot be written.
    QString WriteFile(const QString& Name, const QByteArray& Content) const;

private:
    QTemporaryDir Folder_;
};
