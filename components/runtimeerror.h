#pragma once

#include <QString>
#include <stdexcept>

// The one error type that components and program statements throw. Its
// description is what the failing operation says ("Overflow", "File not found",
// the system's error text); the statement guard shows it to the user.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const QString& description)
        : std::runtime_error(description.toStdString()), description_(description) {}
    const QString& description() const { return description_; }

private:
    QString description_;
};
