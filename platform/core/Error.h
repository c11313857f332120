#pragma once

#include <QString>

#include <exception>
#include <memory>
#include <string>

namespace core {

// The one error type every platform call throws: number, source and description, as the
// VB runtime's Err object carries them. Handlers that trap errors catch this type only.
class Error : public std::exception {
public:
    Error(int number, QString source, QString description);

    int number() const { return m_number; }
    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_source;
    QString m_description;
    std::string m_what;
};

// The runtime's own error numbers.
enum RuntimeError {
    InvalidProcedureCall = 5,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    InternalError = 51,
    ObjectNotSet = 91,
};

// A runtime error with the runtime's Japanese description; source names the raising component.
Error runtimeError(int number, const QString& source);

// The exception being handled as an error trap sees it: a platform error as it is, a standard
// exception as error 51 with its what() as the description, anything else as error 51 with the
// runtime's text. Call it only inside a catch block.
Error currentError(const QString& source);

// The object behind a reference that must be set; an empty one fails as the runtime does with
// Nothing (91).
template <typename T>
T& required(const std::shared_ptr<T>& object, const QString& source)
{
    if (!object)
        throw runtimeError(ObjectNotSet, source);
    return *object;
}

} // namespace core
