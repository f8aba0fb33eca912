#pragma once

#include "components/rtf/colortable.h"
#include "components/rtf/documentsink.h"
#include "components/rtf/fonttable.h"
#include "components/rtf/listtable.h"
#include "components/rtf/readerstate.h"
#include "components/rtf/textbuffer.h"
#include "components/rtf/tokenizer.h"

#include <optional>
#include <string_view>
#include <vector>

namespace rtf {

struct ControlInfo;

// Reads RTF bytes into a DocumentSink. It never throws on content and never
// fails: braces need not balance, the end may be missing, nesting beyond
// maxDepth is skipped, parameters are clamped, unknown words are ignored and
// unknown \* destinations skipped. Whatever can be read reaches the sink.
class Reader {
public:
    // Outlook's encapsulated HTML nests one group per tag without closing it
    // for a long way; real files go past 2,700 levels. The stack lives on the
    // heap, so the bound only caps memory.
    static constexpr std::size_t maxDepth = 4096;

    explicit Reader(DocumentSink& sink) : sink_(sink) {}
    // Reads one document; call once per Reader.
    void read(std::string_view data);

private:
    GroupState& state() { return stack_.back(); }
    void openGroup();
    // False when the outermost group closed.
    bool closeGroup();

    void controlWord(const Token& token);
    bool destination(const ControlInfo& info);
    void documentControl(const ControlInfo& info, const Token& token);
    void tableControl(const ControlInfo& info, const Token& token);
    void characterControl(const ControlInfo& info, const Token& token);
    void paragraphControl(const ControlInfo& info, const Token& token);
    void controlSymbol(const Token& token);
    void bytes(std::string_view bytes);
    void unicode(int value);
    void character(char16_t c);
    // A character of the body, or of the font name being read.
    void nameOrBodyCharacter(char16_t c);
    void bodyContent();

    void syncRunFormat();
    void flushRun();
    void endParagraph();
    int documentCodePage() const;
    int currentCodePage();
    RunFormat resolve(const CharState& chr) const;
    ParagraphFormat resolve(const ParaState& para) const;

    DocumentSink& sink_;
    std::vector<GroupState> stack_;
    std::size_t overflow_ = 0; // groups opened beyond maxDepth
    bool pendingStar_ = false;
    int unicodeSkipLeft_ = 0;

    int ansiCodePage_ = 1252;
    int defaultFont_ = 0;
    FontTable fonts_;
    ColorTable colors_;
    ListTable lists_;

    TextBuffer run_;
    CharState runChar_;
    bool paragraphHasContent_ = false;
    // The state of a group that held the paragraph's last text and closed
    // before the \par: "{\pard\qc Title}\par" is a centred paragraph.
    std::optional<GroupState> closedParagraphState_;
    std::size_t lastContentDepth_ = 0;
    int codePageFont_ = -2; // font number whose code page codePage_ caches
    int codePage_ = 1252;
};

} // namespace rtf
