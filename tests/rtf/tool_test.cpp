#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// ferrotab-rtf as a user runs it.

namespace {

struct Result {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

Result run(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(FERROTAB_RTF_TOOL), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

const QString corpus = QStringLiteral(RTF_TEST_DATA);

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Tool, TextAndDumpPrintWhatTheCorpusExpects) {
    const Result text = run({QStringLiteral("text"), corpus + QStringLiteral("/wordpad.rtf")});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, contents(corpus + QStringLiteral("/wordpad.txt")) + '\n');
    const Result dump = run({QStringLiteral("dump"), corpus + QStringLiteral("/word.rtf")});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.out, contents(corpus + QStringLiteral("/word.dump.json")));
}

TEST(Tool, ConvertsByTheOutputsExtension) {
    QTemporaryDir dir;
    const QString rtfOut = dir.filePath(QStringLiteral("out.RTF"));
    const QString txtOut = dir.filePath(QStringLiteral("out.txt"));
    EXPECT_EQ(
        run({QStringLiteral("convert"), corpus + QStringLiteral("/textedit.rtf"), rtfOut}).exitCode,
        0);
    EXPECT_TRUE(contents(rtfOut).startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    EXPECT_EQ(run({QStringLiteral("convert"), rtfOut, txtOut}).exitCode, 0);
    EXPECT_EQ(contents(txtOut), contents(corpus + QStringLiteral("/textedit.txt")) + "\r\n");
    // Plain text in, plain text out: what Ferrotab wrote comes back unchanged.
    const QString again = dir.filePath(QStringLiteral("again.txt"));
    EXPECT_EQ(run({QStringLiteral("convert"), txtOut, again}).exitCode, 0);
    EXPECT_EQ(contents(again), contents(txtOut));
}

TEST(Tool, ErrorsGoToStderrWithNonZeroExit) {
    const Result missing = run({QStringLiteral("text"), QStringLiteral("/no/such/file.rtf")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains("ferrotab-rtf: ")) << missing.err.constData();
    const Result unwritable = run({QStringLiteral("convert"), corpus + QStringLiteral("/word.rtf"),
                                   QStringLiteral("/no/such/dir/out.rtf")});
    EXPECT_NE(unwritable.exitCode, 0);
    EXPECT_FALSE(unwritable.err.isEmpty());
    for (const QStringList& wrong :
         {QStringList{}, QStringList{QStringLiteral("text")},
          QStringList{QStringLiteral("print"), corpus + QStringLiteral("/word.rtf")}}) {
        const Result usage = run(wrong);
        EXPECT_EQ(usage.exitCode, 2);
        EXPECT_TRUE(usage.err.contains("usage:"));
    }
}
