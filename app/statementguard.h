#pragma once

#include <QString>

class MessageBoxes;

// The support address that ends every error report.
inline constexpr char kSupportAddress[] = "support@ferrotab.org";

// The text of the report for a failed statement: description, CR LF, the
// handler's location, "at line " and the number, two single CRs, and the
// request to e-mail a screenshot.
QString composeErrorReport(const QString& description, const QString& location, int line);

// Runs the numbered statements of one guarded handler. A statement that
// throws is reported in a modal "Application Error" box and the handler goes
// on with its next statement; nothing is rolled back.
class StatementGuard {
public:
    StatementGuard(MessageBoxes& messages, QString location)
        : messages_(messages), location_(std::move(location)) {}

    template <typename Statement>
    void operator()(int line, Statement&& statement) {
        try {
            statement();
        } catch (...) {
            report(line);
        }
    }

    // A condition: a failing test counts as true, so the handler goes on with
    // the first statement of the branch taken when the condition holds.
    template <typename Condition>
    bool test(int line, Condition&& condition) {
        try {
            return condition();
        } catch (...) {
            report(line);
            return true;
        }
    }

private:
    // Called inside the catch block: reads the description of the error in flight.
    void report(int line);

    MessageBoxes& messages_;
    QString location_;
};
