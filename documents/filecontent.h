#pragma once

#include <QByteArray>
#include <QString>

// The whole content of a document file. Throws RuntimeError with the system's
// description ("No such file or directory", "Is a directory") when it cannot
// be read.
QByteArray readFileContent(const QString& path);
