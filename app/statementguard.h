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
    // The report names the handler, e.g. "PushButton7_Click", in its location
    // text "in Ferrotab2017/04/05.Form1.PushButton7_Click ".
    StatementGuard(MessageBoxes& messages, const char* handler);

    // Runs one statement; true when it ran to its end, false when it failed
    // and was reported.
    template <typename Statement> bool operator()(int line, Statement&& statement) {
        try {
            statement();
            return true;
        } catch (...) {
            report(line);
            return false;
        }
    }

    // A condition: a failing test counts as true, so the handler goes on with
    // the first statement of the branch taken when the condition holds.
    template <typename Condition> bool test(int line, Condition&& condition) {
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
