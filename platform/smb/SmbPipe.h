#pragma once

#include "PipeTransport.h"
#include "Transfer.h"

#include <string>

struct _SMBCFILE;

namespace corvane::smb {

class SmbContext;

// A named pipe on a server's IPC$ share, opened through the shared context.
class SmbPipe : public PipeTransport {
public:
    SmbPipe(SmbContext& context, std::u16string server, std::string pipe);
    ~SmbPipe() override;

    Status open() override;
    void close() override;
    bool isOpen() const override { return m_file != nullptr; }
    Status write(std::span<const std::uint8_t> data) override;
    Status read(std::span<std::uint8_t> data) override;
    void setDeadline(Deadline deadline) override { m_deadline = deadline; }
    bool lastFailureWasTimeout() const override { return m_outcome.timedOut; }
    bool lastWriteSentNothing() const override { return m_outcome.sentNothing; }

private:
    SmbContext& m_context;
    std::u16string m_server;
    std::string m_pipe;
    _SMBCFILE* m_file = nullptr;
    Deadline m_deadline = Deadline::max();
    TransferOutcome m_outcome;
};

} // namespace corvane::smb
