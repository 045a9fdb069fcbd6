#pragma once

#include <string>

#include "link/serial232.h"

// The one serial port of the workstation: its number, its line settings and the open line.
// Open on demand by the senders, closed at the end of every exchange.
class TMyComm {
public:
    TMyComm() = default;
    ~TMyComm();
    TMyComm(const TMyComm&) = delete;
    TMyComm& operator=(const TMyComm&) = delete;

    // Closes a line that is still open first. Failure leaves the port closed and raises nothing;
    // callers test IsOpen().
    void Open();
    void Close();
    bool IsOpen() const { return IsValidHandle(Handle); }
    int Write(const char* buffer, int count);
    // Reads at most bufferSize - 2 bytes into buffer and zero-terminates them.
    int Read(char* buffer, int bufferSize);
    void Flush() {}

    HANDLE Handle = nullptr;
    int PortNumber = 1;
    int BaudRate = 9600;
    int Parity = 0;
    int ByteSize = 8;
    int StopBits = 0;
    std::string Name;
};
