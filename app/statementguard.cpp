#include "app/statementguard.h"

#include "components/messageboxes.h"
#include "components/runtimeerror.h"

#include <exception>

QString composeErrorReport(const QString& description, const QString& location, int line) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(kSupportAddress);
}

StatementGuard::StatementGuard(MessageBoxes& messages, const char* handler)
    : messages_(messages), location_(QStringLiteral("in Ferrotab2017/04/05.Form1.") +
                                     QLatin1String(handler) + QLatin1Char(' ')) {}

void StatementGuard::report(int line) {
    QString description;
    try {
        throw;
    } catch (const RuntimeError& error) {
        description = error.description();
    } catch (const std::bad_alloc&) {
        description = QStringLiteral("Out of memory");
    } catch (const std::exception& error) {
        description = QString::fromLocal8Bit(error.what());
    } catch (...) {
        description = QStringLiteral("Unknown error");
    }
    messages_.show({composeErrorReport(description, location_, line),
                    QStringLiteral("Application Error"), MsgButtons::Ok, MsgResult::Ok,
                    MsgIcon::Exclamation});
}
