#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "tests/rtf/testfile.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QTextDocument>
#include <cctype>
#include <gtest/gtest.h>

// The hand-written corpus: files in the manner of Word, WordPad, LibreOffice,
// TextEdit and AbiWord, each with the Text and the dump it must give.

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// As the surface and ferrotab-rtf set it up.
void prepare(QTextDocument& document) {
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 9));
}

std::vector<std::string> corpusFiles() {
    std::vector<std::string> names;
    const QDir dir(QStringLiteral(RTF_TEST_DATA));
    for (const QString& name : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name))
        names.push_back(name.chopped(4).toStdString());
    return names;
}

class Corpus : public ::testing::TestWithParam<std::string> {
protected:
    QString path(const char* suffix) const {
        return QStringLiteral(RTF_TEST_DATA "/") + QString::fromStdString(GetParam()) +
               QLatin1StringView(suffix);
    }
};

} // namespace

TEST_P(Corpus, ReadsAsExpected) {
    QTextDocument document;
    prepare(document);
    loadTestFile(document, path(".rtf"));
    EXPECT_EQ(rtf::documentText(document).toStdString(), contents(path(".txt")).toStdString());
    EXPECT_EQ(rtf::dumpDocument(document).toStdString(),
              contents(path(".dump.json")).toStdString());
}

TEST_P(Corpus, SaveRoundTripsAreIdempotent) {
    QTextDocument document;
    prepare(document);
    loadTestFile(document, path(".rtf"));
    const QByteArray saved = rtf::saveBytes(document);
    QTextDocument reread;
    prepare(reread);
    rtf::loadBytes(reread, saved);
    EXPECT_EQ(rtf::dumpDocument(reread).toStdString(), rtf::dumpDocument(document).toStdString());
    EXPECT_EQ(rtf::saveBytes(reread).toStdString(), saved.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Files, Corpus, ::testing::ValuesIn(corpusFiles()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});
