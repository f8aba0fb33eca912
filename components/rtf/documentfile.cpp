#include "components/rtf/documentfile.h"

#include "components/rtf/plaintext.h"
#include "components/rtf/qtsink.h"
#include "components/rtf/reader.h"
#include "components/rtf/writer.h"

namespace rtf {

bool isRtf(const QByteArray& content) {
    QByteArrayView view(content);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    return view.startsWith("{\\rtf");
}

void loadBytes(QTextDocument& document, const QByteArray& content) {
    QtDocumentSink sink(document);
    if (isRtf(content)) {
        const qsizetype bom = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        Reader reader(sink);
        reader.read(std::string_view(content.constData() + bom,
                                     static_cast<std::size_t>(content.size() - bom)));
    } else {
        readPlainText(decodePlainText(content), sink);
    }
}

QByteArray saveBytes(const QTextDocument& document) {
    return writeRtf(document);
}

} // namespace rtf
