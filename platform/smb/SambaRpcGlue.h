/* The few calls of Samba's client RPC library the backend uses, behind a plain C interface:
 * the library's headers do not compile as C++. */
#ifndef CORVANE_SAMBA_RPC_GLUE_H
#define CORVANE_SAMBA_RPC_GLUE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct corvane_rpc_library corvane_rpc_library;
typedef struct corvane_rpc_pipe corvane_rpc_pipe;

/* Makes Samba's libraries keep their per-call scratch memory per thread, so that several
 * threads may each make calls of their own at once. Only before the process's first call into
 * them: the libraries fix the choice at their first use. */
void corvane_samba_threads(void);

/* One per thread that makes calls: the library's memory, event loop and configuration. */
corvane_rpc_library* corvane_rpc_library_new(void);
void corvane_rpc_library_free(corvane_rpc_library* lib);

struct corvane_rpc_logon {
    const char* user;   /* NULL with use_ticket */
    const char* domain; /* NULL or empty: the server's own */
    const char* password;
    int use_ticket; /* log on with the Kerberos ticket cache */
};

/* How the next connections are secured: SMB signing required (otherwise desired), SMB3
 * encryption required (otherwise used where the server asks for it). */
void corvane_rpc_library_secure(corvane_rpc_library* lib, int require_signing,
                                int require_encryption);

/* Connects to \\host\IPC$, opens the named pipe `pipe` and binds the interface `uuid` (16
 * bytes in wire order) at `version` (major in the low 16 bits). Returns an NTSTATUS. */
uint32_t corvane_rpc_connect(corvane_rpc_library* lib, const char* host, const char* pipe,
                             const uint8_t* uuid, uint32_t version,
                             const struct corvane_rpc_logon* logon, corvane_rpc_pipe** out);

/* Opens the named pipe `pipe` on the SMB connection of `base` (no new connection, no new
 * logon) and binds the interface `uuid` at `version`. `base` stays alive, its connection open,
 * until this pipe is freed too. Returns an NTSTATUS. */
uint32_t corvane_rpc_open_beside(corvane_rpc_library* lib, corvane_rpc_pipe* base, const char* host,
                                 const char* pipe, const uint8_t* uuid, uint32_t version,
                                 corvane_rpc_pipe** out);

/* Whether the connection still stands as far as the library knows. */
int corvane_rpc_connected(const corvane_rpc_pipe* p);

/* The account the connection logged on with: the user name given, or the ticket's principal
 * (user@REALM); empty when not known. */
const char* corvane_rpc_account(const corvane_rpc_pipe* p);

/* The fragment sizes the bind settled on. */
void corvane_rpc_fragments(const corvane_rpc_pipe* p, uint32_t* max_xmit, uint32_t* max_recv);

/* One request with an encoded stub, answered by the response stub (to be released with
 * corvane_rpc_buffer_free, also after the pipe is gone). Returns an NTSTATUS; after a fault `fault`
 * holds its code. */
uint32_t corvane_rpc_call(corvane_rpc_pipe* p, uint16_t opnum, const uint8_t* in, size_t in_length,
                          uint8_t** out, size_t* out_length, uint32_t* fault);
void corvane_rpc_buffer_free(uint8_t* buffer);

/* Gives up the caller's hold: the pipe closes once no pipe opened beside it is left. */
void corvane_rpc_pipe_free(corvane_rpc_pipe* p);

#ifdef __cplusplus
}
#endif

#endif
