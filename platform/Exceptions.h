#pragma once

#include <QString>

#include <stdexcept>

// The class library's exception class: everything the system throws on
// purpose derives from it, and the standard exception box shows its message.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// A text that is not a number of the expected form.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// A file that cannot be created, opened, read or written.
class EFileError : public Exception
{
public:
    using Exception::Exception;
};
