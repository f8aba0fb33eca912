#pragma once

#include "components/rtf/documentsink.h"
#include "components/rtf/reader.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <string_view>
#include <vector>

// Keeps everything the reader hands out, so tests can look at runs and
// paragraphs without a QTextDocument in between.
struct RecordedParagraph {
    struct Run {
        QString text;
        rtf::RunFormat format;
    };
    std::vector<Run> runs;
    rtf::ParagraphFormat format;
    rtf::RunFormat mark;

    QString text() const {
        QString all;
        for (const Run& run : runs)
            all += run.text;
        return all;
    }
};

class RecordingSink : public rtf::DocumentSink {
public:
    void text(QStringView text, const rtf::RunFormat& format) override {
        EXPECT_FALSE(text.isEmpty());
        EXPECT_FALSE(finished);
        current.runs.push_back({text.toString(), format});
    }
    void endParagraph(const rtf::ParagraphFormat& format, const rtf::RunFormat& mark) override {
        EXPECT_FALSE(finished);
        current.format = format;
        current.mark = mark;
        paragraphs.push_back(current);
        current = {};
    }
    void picture(const rtf::Picture& picture, const rtf::RunFormat&) override {
        EXPECT_FALSE(finished);
        pictures.push_back(picture);
    }
    void endCell(int depth) override { events.push_back(QStringLiteral("cell%1").arg(depth)); }
    void endRow(const rtf::RowFormat& row, int depth) override {
        events.push_back(QStringLiteral("row%1").arg(depth));
        rows.push_back(row);
    }
    void keep(const rtf::KeptRtf& piece) override { kept.push_back(piece); }
    void noDefaultFont() override { namesDefaultFont = false; }
    void finish() override {
        EXPECT_TRUE(current.runs.empty());
        finished = true;
    }

    // The paragraphs' text joined by "|", for compact expectations.
    QString joined() const {
        QStringList texts;
        for (const RecordedParagraph& paragraph : paragraphs)
            texts << paragraph.text();
        return texts.join(QLatin1Char('|'));
    }

    std::vector<RecordedParagraph> paragraphs;
    std::vector<rtf::Picture> pictures;
    std::vector<rtf::RowFormat> rows;
    QStringList events; // cell and row ends, in order
    std::vector<rtf::KeptRtf> kept;
    bool namesDefaultFont = true;
    RecordedParagraph current;
    bool finished = false;
};

inline RecordingSink readRtf(std::string_view rtf) {
    RecordingSink sink;
    rtf::Reader reader(sink);
    reader.read(rtf);
    EXPECT_TRUE(sink.finished);
    return sink;
}

// The text of a document given as its body, with a minimal header.
inline QString bodyText(std::string_view body) {
    std::string rtf = "{\\rtf1\\ansi ";
    rtf += body;
    rtf += "}";
    return readRtf(rtf).joined();
}
