// Reading the instrument's archive into the page's table and clearing it in the instrument, half a
// record per exchange, each step taken when the exchange engine delivers the previous answer.
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <cstring>

#include "app/archive/frame_archive.h"
#include "link/answer_parser.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"

namespace {

constexpr int kReadingWorkName = 13;
constexpr int kClearingWorkName = 14;
constexpr int kResumeQuestion = 0;  // lbMsg items
constexpr int kClearQuestion = 1;
// The offset that marks the clearing's first register write as pending.
constexpr int kClearingStarts = -1;
// The second half of the last record.
constexpr int kLastBlock = kArchiveBytes - kArchiveBlockSize;

bool IsBlockAddress(int offset) {
    return offset >= 0 && offset <= kLastBlock && offset % kArchiveBlockSize == 0;
}

std::uint8_t Address() { return static_cast<std::uint8_t>(DevAddr); }

}  // namespace

void TFrameArchiv::ShowWorkName(int index) const {
    if (Hooks.showWorkName) Hooks.showWorkName(index);
}

void TFrameArchiv::EnableStarts() {
    ReadArchive->setEnabled(transfer_ != Transfer::Clearing);
    ClearArchive->setEnabled(transfer_ != Transfer::Reading);
}

bool TFrameArchiv::ArchRecordValid(const TArchiveRecord& record) const { return ArchiveRecordValid(record); }

void TFrameArchiv::SendBlockRead() {
    // A negative field would go out as no field at all.
    if (MainPort == nullptr || !IsBlockAddress(FArchOffset)) return;
    SendRequest(*MainPort, Address(), CmdRead, FArchOffset, MemArchive, DataBlock);
}

void TFrameArchiv::SendBlockWrite() {
    if (MainPort == nullptr) return;
    SendHexRequest(*MainPort, Address(), CmdWrite, FArchOffset, MemArchive,
                   RecordBytes(FRecordBuf) + FArchOffset % kArchiveRecordSize, kArchiveBlockSize);
}

void TFrameArchiv::ReadArchiveClick(QObject*) {
    if (transfer_ != Transfer::AtRest) return;
    // Only a reading leaves a resume point; anything else starts afresh.
    if (!IsBlockAddress(FArchOffset)) FArchOffset = 0;
    if (FArchOffset != 0) {
        const QString question = lbMsg->item(kResumeQuestion)->text() +
                                 QString::number(FArchOffset / kArchiveRecordSize + 1) + QString(" ?");
        const int answer = platform::MessageDlg(question, platform::MsgDlgType::Confirmation,
                                                platform::mbYes | platform::mbNo);
        if (answer == platform::mrNo) {
            FArchOffset = 0;
            ListViewArchiv1->clear();
        } else if (answer != platform::mrYes) {
            return;
        }
    } else {
        ListViewArchiv1->clear();
    }
    ArchiveProcess->setValue(0);
    ArchiveProcess->show();
    transfer_ = Transfer::Reading;
    ReadArchive->hide();
    StopArchiveReading->show();
    EnableStarts();
    Requester = ListViewArchiv1;
    SendBlockRead();
    UiExchange = true;
    ShowWorkName(kReadingWorkName);
}

void TFrameArchiv::RxArchiveBlock(const char* text) {
    if (transfer_ != Transfer::Reading || !IsBlockAddress(FArchOffset)) return;
    if ((text ? std::strlen(text) : 0) / 2 != kArchiveBlockSize) {
        // Nothing else will come for this request: let the time-out end the reading.
        TimeoutTicks = AnswerTimeoutTicks;
        return;
    }
    ArchiveProcess->setValue(FArchOffset / kArchiveRecordSize);
    const bool firstHalf = FArchOffset % kArchiveRecordSize == 0;
    HexToBytes(RecordBytes(FRecordBuf) + (firstHalf ? 0 : kArchiveBlockSize), text, kArchiveBlockSize);
    if (!firstHalf) {
        AddArchiveRow(ListViewArchiv1, FRecordBuf);
        if (FArchOffset == kLastBlock) {
            UiExchange = false;
            FArchOffset = 0;
            CloseMainPort();
            StopArchiveReadingClick(nullptr);
            platform::ShowMessage(U("Чтение архива закончено."));
            return;
        }
    }
    FArchOffset += kArchiveBlockSize;
    Requester = ListViewArchiv1;
    SendBlockRead();
    UiExchange = true;
}

void TFrameArchiv::ShowReadingStopped() {
    ArchiveProcess->hide();
    ReadArchive->show();
    StopArchiveReading->hide();
    if (transfer_ == Transfer::Reading) transfer_ = Transfer::AtRest;
    EnableStarts();
}

void TFrameArchiv::StopArchiveReadingClick(QObject*) {
    ShowReadingStopped();
    EndExchange();
    TimeoutTicks = -1;
}

void TFrameArchiv::ClearArchiveClick(QObject*) {
    if (transfer_ != Transfer::AtRest) return;
    if (platform::MessageDlg(lbMsg->item(kClearQuestion)->text(), platform::MsgDlgType::Warning,
                             platform::mbYes | platform::mbNo) != platform::mrYes)
        return;
    ArchiveProcess->setValue(0);
    ArchiveProcess->show();
    transfer_ = Transfer::Clearing;
    ClearArchive->hide();
    StopArchiveClearing->show();
    EnableStarts();
    FRecordBuf = BlankArchiveRecord();
    Requester = ClearArchive;
    UiExchange = true;
    FArchOffset = kClearingStarts;
    ListViewArchiv1->clear();
    // The archive word of the settings record, then the command register, before the blocks.
    if (MainPort) SendRequest(*MainPort, Address(), CmdWrite, 17, MemSettings, DataWord, 1);
    ShowWorkName(kClearingWorkName);
}

void TFrameArchiv::RxClearArchive(const char*) {
    if (transfer_ != Transfer::Clearing) return;
    if (FArchOffset == kClearingStarts) {
        FArchOffset = 0;
        if (MainPort) SendRequest(*MainPort, Address(), CmdWrite, 49, MemCommand, DataByte, 0);
        return;
    }
    if (!IsBlockAddress(FArchOffset)) {
        StopArchiveClearingClick(nullptr);
        return;
    }
    UiExchange = true;
    Requester = ClearArchive;
    SendBlockWrite();
    ArchiveProcess->setValue(FArchOffset / kArchiveRecordSize);
    FArchOffset += kArchiveBlockSize;
}

void TFrameArchiv::ShowClearingStopped() {
    ArchiveProcess->hide();
    ArchiveProcess->setValue(0);
    ClearArchive->show();
    StopArchiveClearing->hide();
    if (transfer_ == Transfer::Clearing) transfer_ = Transfer::AtRest;
    EnableStarts();
}

void TFrameArchiv::StopArchiveClearingClick(QObject*) {
    ShowClearingStopped();
    EndExchange();
    FArchOffset = 0;
    TimeoutTicks = -1;
}

void TFrameArchiv::StopOwnTransfer() {
    // Once another window has taken the exchange over, the transfer gets no more answers; the
    // exchange, its port and its time-out are that window's, and only the page comes to rest.
    if (transfer_ == Transfer::Reading) {
        if (Requester == ListViewArchiv1) StopArchiveReadingClick(nullptr);
        else ShowReadingStopped();
    } else if (transfer_ == Transfer::Clearing) {
        if (Requester == ClearArchive) StopArchiveClearingClick(nullptr);
        else ShowClearingStopped();
    }
}

std::vector<AnswerRoute> TFrameArchiv::ArchiveAnswerRoutes() {
    // Every error answer ends the transfer before the engine shows the instrument's text.
    AnswerRoute reading;
    reading.requester = ListViewArchiv1;
    reading.onData = [this](const char* text) { RxArchiveBlock(text); };
    reading.after = AfterAnswer::HandlerDecides;
    reading.beforeStandardError = [this](int) { StopArchiveReadingClick(nullptr); };
    reading.onTimeout = [this] { StopArchiveReadingClick(nullptr); };
    AnswerRoute clearing;
    clearing.requester = ClearArchive;
    clearing.onData = [this](const char* text) { RxClearArchive(text); };
    clearing.after = AfterAnswer::HandlerDecides;
    clearing.beforeStandardError = [this](int) { StopArchiveClearingClick(nullptr); };
    clearing.onTimeout = [this] { StopArchiveClearingClick(nullptr); };
    return {clearing, reading};
}
