// Where the MIDI layer reports what happened: one line of text per event
// (a port opened, a close that failed, frames that could not be sent). The
// main dialog shows the lines in its message window; zmctl prints them.
//
// Threading contract: called on the window thread only.
#pragma once

#include <string_view>

class IMessageSink {
public:
    virtual ~IMessageSink() = default;

    //! Appends one line (no line breaks) to the message window.
    virtual void AppendLine(std::string_view line) = 0;
};
