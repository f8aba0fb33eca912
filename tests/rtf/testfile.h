#pragma once

#include "components/rtf/documentfile.h"

#include <QFile>
#include <QTextDocument>
#include <gtest/gtest.h>

// Loads a test file into the document as the editor's Open does.
inline void loadTestFile(QTextDocument& document, const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    rtf::loadBytes(document, file.readAll());
}
