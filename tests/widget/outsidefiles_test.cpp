// Files that reach the window from outside: named on the command line or
// dropped onto it.
#include "tests/support/scripted.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTextEdit>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class OutsideFiles : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        form().show();
        write(QStringLiteral("letter.rtf"),
              "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Dear {\\b friend}\\par}");
        write(QStringLiteral("notes.txt"), "plain notes\r\n");
    }
    Form1& form() { return *harness.form; }
    QString path(const QString& name) const { return harness.folder.filePath(name); }
    const std::vector<MessageRequest>& reports() const { return harness.messages->shown; }
    QString caption(int position) { return form().TabControl1->caption(position); }
    RichTextSurface& surfaceAt(int position) {
        return (*form().RichTextBox1)[form().TabControl1->value(position)];
    }

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A drag of the files entering the widget and dropped there, as a file
    // manager sends it; returns whether the widget took the drop.
    bool drop(QWidget* target, QMimeData* mime) {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent dropped(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        QCoreApplication::processEvents();
        return dropped.isAccepted();
    }
    QMimeData* filesMime(const QStringList& names) {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << QUrl::fromLocalFile(path(name));
        mime->setUrls(urls);
        mimes_.emplace_back(mime);
        return mime;
    }

    FormHarness harness;
    std::vector<std::unique_ptr<QMimeData>> mimes_;
};

TEST_F(OutsideFiles, EachNamedFileOpensInItsOwnUnchangedTabAsOpenDoes) {
    form().OpenFiles({path(QStringLiteral("letter.rtf")), path(QStringLiteral("missing.rtf")),
                      path(QStringLiteral("notes.txt"))});

    // The unreadable one is reported and leaves no tab; the others still open.
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_TRUE(reports()[0].text.contains(QStringLiteral("PushButton1_Click at line 122")));
    ASSERT_EQ(form().TabControl1->count(), 3);
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(caption(1), QStringLiteral("letter.rtf"));
    EXPECT_EQ(caption(2), QStringLiteral("notes.txt"));
    EXPECT_EQ(form().TabControl1->selectedPosition(), 2);
    EXPECT_EQ(surfaceAt(1).tag(), QStringLiteral("0|") + path(QStringLiteral("letter.rtf")));
    EXPECT_EQ(surfaceAt(1).text(), QStringLiteral("Dear friend"));
    EXPECT_EQ(surfaceAt(2).text(), QStringLiteral("plain notes"));
    EXPECT_FALSE(form().AnyDocumentChanged());
    EXPECT_FALSE(form().loadingFlag);
}

TEST_F(OutsideFiles, ARelativeNameIsKeptAsTheFullPathForLaterSaves) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(harness.folder.path()));
    form().OpenFiles({QStringLiteral("notes.txt")});
    QDir::setCurrent(previous);
    ASSERT_EQ(form().TabControl1->count(), 2);
    EXPECT_EQ(surfaceAt(1).tag(), QStringLiteral("0|") + path(QStringLiteral("notes.txt")));
}

TEST_F(OutsideFiles, FilesDroppedOnASurfaceOpenAndAreNeverPastedIntoIt) {
    RichTextSurface& first = surfaceAt(0);
    QTest::keyClicks(first.widget(), QStringLiteral("kept"));
    EXPECT_TRUE(drop(first.widget()->viewport(),
                     filesMime({QStringLiteral("letter.rtf"), QStringLiteral("notes.txt")})));

    EXPECT_EQ(first.text(), QStringLiteral("kept"));
    ASSERT_EQ(form().TabControl1->count(), 3);
    EXPECT_EQ(caption(1), QStringLiteral("letter.rtf"));
    EXPECT_EQ(caption(2), QStringLiteral("notes.txt"));
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf*"));
    EXPECT_TRUE(reports().empty());
}

TEST_F(OutsideFiles, FilesDroppedOnTheWindowOrATextBoxOpenToo) {
    EXPECT_TRUE(drop(&form(), filesMime({QStringLiteral("notes.txt")})));
    QLineEdit* fontName = form().Combo2->lineEdit();
    ASSERT_NE(fontName, nullptr);
    const QString before = fontName->text();
    EXPECT_TRUE(drop(fontName, filesMime({QStringLiteral("letter.rtf")})));

    EXPECT_EQ(fontName->text(), before);
    ASSERT_EQ(form().TabControl1->count(), 3);
    EXPECT_EQ(caption(1), QStringLiteral("notes.txt"));
    EXPECT_EQ(caption(2), QStringLiteral("letter.rtf"));
}

TEST_F(OutsideFiles, DraggedTextIsLeftToTheSurface) {
    auto* mime = new QMimeData;
    mimes_.emplace_back(mime);
    mime->setText(QStringLiteral("dragged words"));
    drop(surfaceAt(0).widget()->viewport(), mime);
    EXPECT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(surfaceAt(0).text(), QStringLiteral("dragged words"));
}

} // namespace
