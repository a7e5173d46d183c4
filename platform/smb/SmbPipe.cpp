#include "SmbPipe.h"

#include "SmbContext.h"

namespace corvane::smb {

SmbPipe::SmbPipe(SmbContext& context, std::u16string server, std::string pipe)
    : m_context(context), m_server(std::move(server)), m_pipe(std::move(pipe)) {}

SmbPipe::~SmbPipe() {
    close();
}

Status SmbPipe::open() {
    close();
    m_outcome = {};
    return m_context.openPipe(m_server, m_pipe, m_file, m_deadline, m_outcome.timedOut);
}

void SmbPipe::close() {
    // After a timeout the server does not answer; closing would wait once more for nothing.
    // The handle stays with the context, which releases it when it ends.
    if (m_file && !m_outcome.timedOut)
        m_context.close(m_file);
    m_file = nullptr;
}

Status SmbPipe::write(std::span<const std::uint8_t> data) {
    if (!m_file) {
        m_outcome = {false, true};
        return status::PipeNotConnected;
    }
    return m_context.write(m_file, data, m_deadline, m_outcome);
}

Status SmbPipe::read(std::span<std::uint8_t> data) {
    if (!m_file) {
        m_outcome = {};
        return status::PipeNotConnected;
    }
    return m_context.readExact(m_file, data, m_deadline, m_outcome);
}

} // namespace corvane::smb
