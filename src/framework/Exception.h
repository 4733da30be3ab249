// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The base of every failure the system raises: it carries the message that the default
// error report shows. EAbort is the silent failure that no report shows.

#include "framework/Messages.h"

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    Exception(Msg id, std::initializer_list<MsgArg> args = {})
        : message_(FormatMessage(id, args)) {}

    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Declares an exception class that only names a kind of failure.
#define VELMORA_EXCEPTION(Name, Base)                                                             \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
    }

class EAbort : public Exception {
public:
    EAbort() : Exception(Msg::OperationAborted) {}
};

VELMORA_EXCEPTION(EStreamError, Exception);
VELMORA_EXCEPTION(EReadError, EStreamError);
VELMORA_EXCEPTION(EWriteError, EStreamError);
VELMORA_EXCEPTION(EFOpenError, EStreamError);
VELMORA_EXCEPTION(EFCreateError, EStreamError);
VELMORA_EXCEPTION(EConvertError, Exception);
VELMORA_EXCEPTION(EIniFileException, Exception);
VELMORA_EXCEPTION(EOutOfResources, Exception);
VELMORA_EXCEPTION(EInvalidOperation, Exception);
VELMORA_EXCEPTION(EResNotFound, Exception);
