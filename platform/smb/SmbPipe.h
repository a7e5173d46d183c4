#pragma once

#include "PipeTransport.h"

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
    bool lastFailureWasTimeout() const override { return m_timedOut; }

private:
    SmbContext& m_context;
    std::u16string m_server;
    std::string m_pipe;
    _SMBCFILE* m_file = nullptr;
    bool m_timedOut = false;
};

} // namespace corvane::smb
