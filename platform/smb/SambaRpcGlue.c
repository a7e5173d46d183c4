#include "SambaRpcGlue.h"

#include <pthread.h>
#include <stdbool.h>
#include <stdlib.h>
#include <string.h>

#include <core/ntstatus.h>
#include <credentials.h>
#include <dcerpc.h>
#include <libsmbclient.h>
#include <param.h>
#include <talloc.h>
#include <tevent.h>
#include <util/data_blob.h>

struct corvane_rpc_library {
    struct tevent_context* ev;
    struct loadparm_context* lp;
};

struct corvane_rpc_pipe {
    struct dcerpc_pipe* pipe;
    struct ndr_interface_table table;
    const char* account;
    /* The pipe whose SMB connection this one was opened on, or NULL. The library keeps only
     * plain pointers to that connection, so the base lives on while a pipe beside it does. */
    corvane_rpc_pipe* base;
    /* The caller's hold and one for each pipe opened beside this one. */
    int users;
};

/* Samba's thread interface (lib/util/smb_threads.h), which libsmbclient's smbc_thread_impl()
 * documents; libsamba-util exports its setter, no header declares it. */
struct smb_thread_functions {
    int (*create_mutex)(const char* lockname, void** pplock, const char* location);
    void (*destroy_mutex)(void* plock, const char* location);
    int (*lock_mutex)(void* plock, int lock_type, const char* location);
    int (*create_tls)(const char* keyname, void** ppkey, const char* location);
    void (*destroy_tls)(void** ppkey, const char* location);
    int (*set_tls)(void* pkey, const void* pval, const char* location);
    void* (*get_tls)(void* pkey, const char* location);
};
int smb_thread_set_functions(const struct smb_thread_functions* tf);

enum { SambaLock = 1, SambaUnlock = 2 };

static int create_mutex(const char* lockname, void** pplock, const char* location) {
    pthread_mutex_t* m = malloc(sizeof *m);
    (void)lockname;
    (void)location;
    if (m == NULL || pthread_mutex_init(m, NULL) != 0) {
        free(m);
        return 1;
    }
    *pplock = m;
    return 0;
}

static void destroy_mutex(void* plock, const char* location) {
    (void)location;
    pthread_mutex_destroy(plock);
    free(plock);
}

static int lock_mutex(void* plock, int lock_type, const char* location) {
    (void)location;
    if (lock_type == SambaLock)
        return pthread_mutex_lock(plock);
    if (lock_type == SambaUnlock)
        return pthread_mutex_unlock(plock);
    return 1;
}

/* Samba's stack of talloc frames (lib/util/talloc_stack.c), one per thread, made at the
 * thread's first frame and kept in the "talloc_stackframe" slot; the library never frees it,
 * so each thread that made a call would leave it behind. The frames hang off the array. */
struct samba_talloc_stackframe {
    int talloc_stacksize;
    int talloc_stack_arraysize;
    TALLOC_CTX** talloc_stack;
};

/* At the thread's end. A frame still open would, once freed, look for the stack in the slot
 * the thread library has already cleared: then everything stays as it is. */
static void free_talloc_stackframe(void* value) {
    struct samba_talloc_stackframe* ts = value;
    if (ts == NULL || ts->talloc_stacksize != 0)
        return;
    talloc_free(ts->talloc_stack);
    free(ts);
}

static int create_tls(const char* keyname, void** ppkey, const char* location) {
    pthread_key_t* key = malloc(sizeof *key);
    void (*destructor)(void*) = keyname != NULL && strcmp(keyname, "talloc_stackframe") == 0
                                    ? free_talloc_stackframe
                                    : NULL;
    (void)location;
    if (key == NULL || pthread_key_create(key, destructor) != 0) {
        free(key);
        return 1;
    }
    *ppkey = key;
    return 0;
}

static void destroy_tls(void** ppkey, const char* location) {
    (void)location;
    pthread_key_delete(*(pthread_key_t*)*ppkey);
    free(*ppkey);
    *ppkey = NULL;
}

static int set_tls(void* pkey, const void* pval, const char* location) {
    (void)location;
    if (pkey == NULL)
        return 1;
    return pthread_setspecific(*(pthread_key_t*)pkey, pval);
}

/* Asked before the key is made: nothing is kept yet. */
static void* get_tls(void* pkey, const char* location) {
    (void)location;
    if (pkey == NULL)
        return NULL;
    return pthread_getspecific(*(pthread_key_t*)pkey);
}

static void set_thread_functions(void) {
    static const struct smb_thread_functions functions = {
        create_mutex, destroy_mutex, lock_mutex, create_tls, destroy_tls, set_tls, get_tls};
    /* libsmbclient sets up its globals with its first context and tears them down when its
     * last is freed, and again with the next: each time on the thread of the moment, and
     * leaving the mutex it made the last time behind. One context kept for the life of the
     * process keeps them set up once. */
    static SMBCCTX* keeper;
    smb_thread_set_functions(&functions);
    keeper = smbc_new_context();
    if (keeper != NULL && smbc_init_context(keeper) == NULL) {
        smbc_free_context(keeper, 1);
        keeper = NULL;
    }
}

void corvane_samba_threads(void) {
    static pthread_once_t once = PTHREAD_ONCE_INIT;
    pthread_once(&once, set_thread_functions);
}

corvane_rpc_library* corvane_rpc_library_new(void) {
    static bool initialised = false;
    corvane_rpc_library* lib;

    if (!initialised) {
        /* Registers the logon mechanisms; without it every connect fails. */
        if (!NT_STATUS_IS_OK(dcerpc_init()))
            return NULL;
        initialised = true;
    }
    lib = talloc_zero(NULL, corvane_rpc_library);
    if (lib == NULL)
        return NULL;
    lib->ev = tevent_context_init(lib);
    lib->lp = loadparm_init(lib);
    if (lib->ev == NULL || lib->lp == NULL) {
        talloc_free(lib);
        return NULL;
    }
    /* The machine's smb.conf, when there is one, as the platform's own tools read it. */
    lpcfg_load_default(lib->lp);
    lpcfg_set_cmdline(lib->lp, "log level", "0");
    return lib;
}

void corvane_rpc_library_free(corvane_rpc_library* lib) {
    talloc_free(lib);
}

static int pipe_destructor(corvane_rpc_pipe* p) {
    /* The connection goes before the interface table it was made with. */
    TALLOC_FREE(p->pipe);
    return 0;
}

void corvane_rpc_library_secure(corvane_rpc_library* lib, int require_signing,
                                int require_encryption) {
    const char* signing = require_signing ? "required" : "desired";
    lpcfg_set_cmdline(lib->lp, "client signing", signing);
    lpcfg_set_cmdline(lib->lp, "client ipc signing", signing);
    lpcfg_set_cmdline(lib->lp, "client smb encrypt", require_encryption ? "required" : "default");
}

static corvane_rpc_pipe* pipe_new(corvane_rpc_library* lib, const char* pipe, const uint8_t* uuid,
                                  uint32_t version) {
    corvane_rpc_pipe* p = talloc_zero(lib, corvane_rpc_pipe);
    if (p == NULL)
        return NULL;
    talloc_set_destructor(p, pipe_destructor);
    p->users = 1;
    p->table.name = talloc_strdup(p, pipe);
    p->table.syntax_id.uuid.time_low = (uint32_t)uuid[0] | (uint32_t)uuid[1] << 8 |
                                       (uint32_t)uuid[2] << 16 | (uint32_t)uuid[3] << 24;
    p->table.syntax_id.uuid.time_mid = (uint16_t)(uuid[4] | uuid[5] << 8);
    p->table.syntax_id.uuid.time_hi_and_version = (uint16_t)(uuid[6] | uuid[7] << 8);
    memcpy(p->table.syntax_id.uuid.clock_seq, uuid + 8, 2);
    memcpy(p->table.syntax_id.uuid.node, uuid + 10, 6);
    p->table.syntax_id.if_version = version;
    return p;
}

uint32_t corvane_rpc_connect(corvane_rpc_library* lib, const char* host, const char* pipe,
                             const uint8_t* uuid, uint32_t version,
                             const struct corvane_rpc_logon* logon, corvane_rpc_pipe** out) {
    corvane_rpc_pipe* p;
    struct cli_credentials* creds;
    char* binding;
    NTSTATUS status;

    *out = NULL;
    p = pipe_new(lib, pipe, uuid, version);
    if (p == NULL)
        return NT_STATUS_V(NT_STATUS_NO_MEMORY);

    creds = cli_credentials_init(p);
    if (creds == NULL || !cli_credentials_set_conf(creds, lib->lp)) {
        talloc_free(p);
        return NT_STATUS_V(NT_STATUS_NO_MEMORY);
    }
    if (logon->use_ticket) {
        const char* error = NULL;
        /* The cache KRB5CCNAME names, or the default one. */
        if (cli_credentials_set_ccache(creds, lib->lp, NULL, CRED_SPECIFIED, &error) != 0) {
            talloc_free(p);
            return NT_STATUS_V(NT_STATUS_LOGON_FAILURE);
        }
        cli_credentials_set_kerberos_state(creds, CRED_USE_KERBEROS_REQUIRED, CRED_SPECIFIED);
    } else {
        cli_credentials_set_username(creds, logon->user, CRED_SPECIFIED);
        cli_credentials_set_password(creds, logon->password, CRED_SPECIFIED);
        if (logon->domain != NULL && logon->domain[0] != '\0')
            cli_credentials_set_domain(creds, logon->domain, CRED_SPECIFIED);
        cli_credentials_set_kerberos_state(creds, CRED_USE_KERBEROS_DESIRED, CRED_SPECIFIED);
    }

    binding = talloc_asprintf(p, "ncacn_np:%s[\\pipe\\%s]", host, pipe);
    if (binding == NULL) {
        talloc_free(p);
        return NT_STATUS_V(NT_STATUS_NO_MEMORY);
    }
    status = dcerpc_pipe_connect(p, &p->pipe, binding, &p->table, creds, lib->ev, lib->lp);
    if (!NT_STATUS_IS_OK(status)) {
        p->pipe = NULL;
        talloc_free(p);
        return NT_STATUS_V(status);
    }
    /* The caller bounds every wait by the progress it sees; the library's own limit on a
     * whole request (a minute) would cut off a long answer that is still arriving. */
    dcerpc_binding_handle_set_timeout(p->pipe->binding_handle, 0x7FFFFFFF / 1000);
    /* With a ticket the account is the ticket's principal, known only here. */
    p->account =
        logon->use_ticket ? cli_credentials_get_principal(creds, p) : talloc_strdup(p, logon->user);
    *out = p;
    return 0;
}

uint32_t corvane_rpc_open_beside(corvane_rpc_library* lib, corvane_rpc_pipe* base, const char* host,
                                 const char* pipe, const uint8_t* uuid, uint32_t version,
                                 corvane_rpc_pipe** out) {
    corvane_rpc_pipe* p;
    struct cli_credentials* creds;
    struct dcerpc_binding* binding = NULL;
    char* text;
    NTSTATUS status;

    *out = NULL;
    p = pipe_new(lib, pipe, uuid, version);
    if (p == NULL)
        return NT_STATUS_V(NT_STATUS_NO_MEMORY);
    /* The bind goes without authentication, as on the base pipe: the SMB session below carries
     * the logon, its signing and encryption. */
    creds = cli_credentials_init_anon(p);
    text = talloc_asprintf(p, "ncacn_np:%s[\\pipe\\%s]", host, pipe);
    if (creds == NULL || text == NULL ||
        !NT_STATUS_IS_OK(dcerpc_parse_binding(p, text, &binding))) {
        talloc_free(p);
        return NT_STATUS_V(NT_STATUS_NO_MEMORY);
    }
    status = dcerpc_secondary_auth_connection(base->pipe, binding, &p->table, creds, lib->lp, p,
                                              &p->pipe);
    if (!NT_STATUS_IS_OK(status)) {
        p->pipe = NULL;
        talloc_free(p);
        return NT_STATUS_V(status);
    }
    dcerpc_binding_handle_set_timeout(p->pipe->binding_handle, 0x7FFFFFFF / 1000);
    p->account = talloc_strdup(p, base->account);
    p->base = base;
    ++base->users;
    *out = p;
    return 0;
}

int corvane_rpc_connected(const corvane_rpc_pipe* p) {
    return dcerpc_binding_handle_is_connected(p->pipe->binding_handle) ? 1 : 0;
}

const char* corvane_rpc_account(const corvane_rpc_pipe* p) {
    return p->account != NULL ? p->account : "";
}

void corvane_rpc_fragments(const corvane_rpc_pipe* p, uint32_t* max_xmit, uint32_t* max_recv) {
    *max_xmit = p->pipe->conn->srv_max_xmit_frag;
    *max_recv = p->pipe->conn->srv_max_recv_frag;
}

uint32_t corvane_rpc_call(corvane_rpc_pipe* p, uint16_t opnum, const uint8_t* in, size_t in_length,
                          uint8_t** out, size_t* out_length, uint32_t* fault) {
    uint32_t out_flags = 0;
    NTSTATUS status;

    *out = NULL;
    *out_length = 0;
    p->pipe->last_fault_code = 0;
    status = dcerpc_binding_handle_raw_call(p->pipe->binding_handle, NULL, opnum, 0, in, in_length,
                                            NULL, out, out_length, &out_flags);
    *fault = p->pipe->last_fault_code;
    return NT_STATUS_V(status);
}

void corvane_rpc_buffer_free(uint8_t* buffer) {
    talloc_free(buffer);
}

void corvane_rpc_pipe_free(corvane_rpc_pipe* p) {
    while (p != NULL && --p->users == 0) {
        corvane_rpc_pipe* base = p->base;
        talloc_free(p);
        p = base;
    }
}
