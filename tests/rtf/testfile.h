#pragma once

#include "components/rtf/documentfile.h"

#include <QFile>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

// Loads a test file into the document as the editor's Open does.
inline void loadTestFile(QTextDocument& document, const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    rtf::loadBytes(document, file.readAll());
}

// Every paragraph's list label as the editor shows it, "" outside lists.
inline QStringList listLabels(const QTextDocument& document) {
    QStringList shown;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        shown << (block.textList() ? block.textList()->itemText(block) : QString());
    return shown;
}
