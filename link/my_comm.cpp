#include "link/my_comm.h"

TMyComm::~TMyComm() {
    if (IsOpen()) Close();
}

void TMyComm::Open() {
    if (IsOpen()) Close();
    Handle = OpenComPort(PortNumber, BaudRate, static_cast<unsigned char>(ByteSize), static_cast<unsigned char>(Parity),
                         static_cast<unsigned char>(StopBits));
    if (IsOpen()) Name = "COM" + std::to_string(PortNumber);
}

void TMyComm::Close() {
    CloseComPort(Handle);
    Handle = nullptr;
}

int TMyComm::Write(const char* buffer, int count) { return IsOpen() ? WriteComPort(buffer, count, Handle) : 0; }

int TMyComm::Read(char* buffer, int bufferSize) { return ReadComPort(Handle, buffer, bufferSize); }
