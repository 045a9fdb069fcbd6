#pragma once

#include <string>

#include "platform/serial/byte_stream.h"

// The serial routines the port object is built on. A handle is an open line; null and
// INVALID_HANDLE_VALUE both mean "no port", as the callers expect of a Windows handle.
using HANDLE = platform::ByteStream*;
extern HANDLE const INVALID_HANDLE_VALUE;

inline bool IsValidHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// "COM9" for ports up to 9, the device-namespace form "\\.\COM10" above.
std::string ComPortName(int port);

// Null for a port number below 1, INVALID_HANDLE_VALUE when the port cannot be opened.
HANDLE OpenComPort(int port, int baudRate, unsigned char byteSize, unsigned char parity, unsigned char stopBits);
void CloseComPort(HANDLE handle);
// Discards unread input and unsent output, then writes the frame, waiting for room on the line at
// most for the frame's wire time plus a margin. False only when nothing of it went out.
bool WriteComPort(const char* buffer, int count, HANDLE handle);
// Takes what has arrived, at most limit - 2 bytes, and zero-terminates it. -1 for no port
// (buffer[0] is then 0), -2 when the read fails.
int ReadComPort(HANDLE handle, char* buffer, int limit);
// The port can be opened right now (one held open by anyone counts as absent).
bool PortExists(int port);
