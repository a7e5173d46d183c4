#!/usr/bin/python3
"""A test server that answers like a Windows file server where Windows and Samba differ.

impacket's SMB server (SMB2, NTLM, signing) carries the connections; the server service
(srvsvc) and the local security authority (lsarpc) behind its named pipes are written here
from the published protocol documents (MS-SRVS, MS-LSAT, MS-DTYP), so the shares, their
descriptors, sessions, open files and accounts behave as a Windows server's do. Shares and
their descriptors live in DIR/state.json, which tests may read and change at any time: every
call reads it again. Run by winlike-server.sh; see README.md for what each call follows.
"""

import argparse
import configparser
import json
import logging
import os
import signal
import socket
import socketserver
import struct
import sys
import threading
import time

from impacket import ntlm, smbserver
from impacket import smb3structs as smb2
from impacket.dcerpc.v5 import lsad, lsat, srvs
from impacket.dcerpc.v5.dtypes import DWORD, LPBYTE, LPLONG, NULL, ULONG, WSTR
from impacket.dcerpc.v5.ndr import NDRCALL, NDRPOINTER, NDRSTRUCT
from impacket.uuid import uuidtup_to_bin

# ------------------------------------------------------------------ constants

ERROR_SUCCESS = 0
ERROR_FILE_NOT_FOUND = 2
ERROR_ACCESS_DENIED = 5
ERROR_INVALID_PARAMETER = 87
ERROR_INVALID_LEVEL = 124
ERROR_MORE_DATA = 234
NERR_UnknownDevDir = 2116
NERR_DuplicateShare = 2118
NERR_ClientNameNotFound = 2312
NERR_FileIdNotFound = 2314
NERR_NetNameNotFound = 2310
ERROR_INVALID_NAME = 123

STATUS_SUCCESS = 0
STATUS_SOME_NOT_MAPPED = 0x00000107
STATUS_NONE_MAPPED = 0xC0000073
STATUS_INVALID_HANDLE = 0xC0000008
STATUS_ACCESS_DENIED = 0xC0000022
STATUS_FILE_CLOSED = 0xC0000128

STYPE_DISKTREE = 0
STYPE_IPC = 3
STYPE_SPECIAL = 0x80000000

MAX_PREFERRED_LENGTH = 0xFFFFFFFF
MAX_DESCRIPTOR = 0x40000

# SID_NAME_USE
USE_USER, USE_GROUP, USE_DOMAIN, USE_ALIAS, USE_WELLKNOWN, USE_UNKNOWN = 1, 2, 3, 4, 5, 8

# Share permissions as Windows writes them.
FULL, CHANGE, READ = 0x001F01FF, 0x001301BF, 0x001200A9

SRVSVC = uuidtup_to_bin(("4B324FC8-1670-01D3-1278-5A47BF6EE188", "3.0"))
LSARPC = uuidtup_to_bin(("12345778-1234-ABCD-EF00-0123456789AB", "0.0"))
NDR32 = uuidtup_to_bin(("8a885d04-1ceb-11c9-9fe8-08002b104860", "2.0"))

LOG = logging.getLogger("winlike")

# ------------------------------------------------------------------ structures

# [MS-SRVS] 2.2.4.34: SHARE_INFO_1501_I points to its descriptor (size_is(shi1501_reserved));
# impacket's SHARE_INFO_1501 embeds the bytes instead, so the calls that carry level 1501 are
# declared again here with the published layout.


class ShareInfo1501(NDRSTRUCT):
    structure = (
        ("shi1501_reserved", DWORD),
        ("shi1501_security_descriptor", LPBYTE),
    )


class LPShareInfo1501(NDRPOINTER):
    referent = (("Data", ShareInfo1501),)


class ShareInfo(srvs.SHARE_INFO):
    union = dict(srvs.SHARE_INFO.union)
    union[1501] = ("ShareInfo1501", LPShareInfo1501)


class NetrShareSetInfo(NDRCALL):
    opnum = 17
    structure = (
        ("ServerName", srvs.PSRVSVC_HANDLE),
        ("NetName", WSTR),
        ("Level", DWORD),
        ("ShareInfo", ShareInfo),
        ("ParmErr", LPLONG),
    )


class NetrShareGetInfoResponse(NDRCALL):
    structure = (
        ("InfoStruct", ShareInfo),
        ("ErrorCode", ULONG),
    )


# ------------------------------------------------------------------ SIDs and descriptors


def sid_bytes(text):
    parts = text.split("-")
    if len(parts) < 3 or parts[0] != "S":
        raise ValueError("bad SID " + text)
    subs = [int(p) for p in parts[3:]]
    return struct.pack("<BB", int(parts[1]), len(subs)) + int(parts[2]).to_bytes(6, "big") + \
        b"".join(struct.pack("<I", s) for s in subs)


def make_acl(aces):
    """aces: (deny, mask, sid text); denials first, as Windows keeps them."""
    body = b""
    ordered = [a for a in aces if a[0]] + [a for a in aces if not a[0]]
    for deny, mask, sid in ordered:
        s = sid_bytes(sid)
        body += struct.pack("<BBHI", 1 if deny else 0, 0, 8 + len(s), mask) + s
    return struct.pack("<BBHHH", 2, 0, 8 + len(body), len(ordered), 0) + body


def make_sd(aces):
    """A self-relative descriptor with only a DACL; None for a null DACL."""
    if aces is None:
        return struct.pack("<BBHIIII", 1, 0, 0x8004, 0, 0, 0, 0)
    return struct.pack("<BBHIIII", 1, 0, 0x8004, 0, 0, 0, 20) + make_acl(aces)


def descriptor_sane(sd):
    """A self-relative descriptor whose parts lie inside it (the server keeps it as given)."""
    if len(sd) < 20 or len(sd) > MAX_DESCRIPTOR or sd[0] != 1:
        return False
    control = struct.unpack_from("<H", sd, 2)[0]
    if not control & 0x8000:
        return False
    for off in struct.unpack_from("<IIII", sd, 4):
        if off and off >= len(sd):
            return False
    return True


# ------------------------------------------------------------------ accounts


class Accounts:
    """The computer's accounts: its own domain (named like the computer), BUILTIN and the
    well-known names, as a stand-alone Windows server resolves them."""

    def __init__(self, netbios, octet, admin, user1, user2, group):
        self.netbios = netbios
        self.domain_sid = "S-1-5-21-1004336348-1177238915-%d" % (682003330 + octet)
        self.admin, self.user1, self.user2, self.group = admin, user1, user2, group
        # (domain name, domain SID, name, rid, use)
        d = (netbios, self.domain_sid)
        b = ("BUILTIN", "S-1-5-32")
        self.entries = [
            d + ("Administrator", 500, USE_USER),
            d + ("Guest", 501, USE_USER),
            d + ("None", 513, USE_GROUP),
            d + (admin, 1000, USE_USER),
            d + (user1, 1001, USE_USER),
            d + (user2, 1002, USE_USER),
            # A local group of a stand-alone Windows server is an alias of its own domain.
            d + (group, 1003, USE_ALIAS),
            b + ("Administrators", 544, USE_ALIAS),
            b + ("Users", 545, USE_ALIAS),
            b + ("Guests", 546, USE_ALIAS),
            b + ("Power Users", 547, USE_ALIAS),
            b + ("Backup Operators", 551, USE_ALIAS),
            ("", "S-1-1", "Everyone", 0, USE_WELLKNOWN),
            ("", "S-1-3", "CREATOR OWNER", 0, USE_WELLKNOWN),
            ("NT AUTHORITY", "S-1-5", "NETWORK", 2, USE_WELLKNOWN),
            ("NT AUTHORITY", "S-1-5", "INTERACTIVE", 4, USE_WELLKNOWN),
            ("NT AUTHORITY", "S-1-5", "Authenticated Users", 11, USE_WELLKNOWN),
            ("NT AUTHORITY", "S-1-5", "SYSTEM", 18, USE_WELLKNOWN),
        ]
        self.domains = {netbios.lower(): d, "builtin": b}
        self.members = {"administrators": {admin.lower(), "administrator"},
                        group.lower(): {user1.lower(), user2.lower()}}

    def sid_of(self, name):
        for dom, dsid, n, rid, use in self.entries:
            if n.lower() == name.lower():
                return "%s-%d" % (dsid, rid) if use != USE_DOMAIN else dsid
        return None

    def is_admin(self, user):
        return bool(user) and user.lower() in self.members["administrators"]

    def lookup_name(self, text):
        """(domain name, domain SID, rid, use) or None. An isolated name is looked for among
        the well-known names, BUILTIN, then the computer's own accounts ([MS-LSAT] 3.1.4.5);
        a qualified one only in its domain. A bare domain name names the domain itself."""
        if "\\" in text:
            dom, name = text.split("\\", 1)
            if not name:
                found = self.domains.get(dom.lower())
                return (found[0], found[1], None, USE_DOMAIN) if found else None
            for d, dsid, n, rid, use in self.entries:
                if d.lower() == dom.lower() and n.lower() == name.lower():
                    return d, dsid, rid, use
            return None
        for wanted in ("", "NT AUTHORITY", "BUILTIN", self.netbios):
            for d, dsid, n, rid, use in self.entries:
                if d == wanted and n.lower() == text.lower():
                    return d, dsid, rid, use
        found = self.domains.get(text.lower())
        if found:
            return found[0], found[1], None, USE_DOMAIN
        return None

    def lookup_sid(self, text):
        """(domain name, domain SID, name, use); name None when only the domain is known."""
        for d, dsid, n, rid, use in self.entries:
            if "%s-%d" % (dsid, rid) == text:
                return d, dsid, n, use
        for dname, dsid in self.domains.values():
            if text == dsid:
                return dname, dsid, dname, USE_DOMAIN
            if text.startswith(dsid + "-") and text.count("-") == dsid.count("-") + 1:
                return dname, dsid, None, USE_UNKNOWN
        return None


# ------------------------------------------------------------------ state


class State:
    """Shares and their descriptors in DIR/state.json; read on every call, written whole."""

    def __init__(self, directory):
        self.dir = directory
        self.path = os.path.join(directory, "state.json")
        self.lock = threading.Lock()

    def load(self):
        with open(self.path, encoding="utf-8") as f:
            return json.load(f)

    def save(self, state):
        tmp = self.path + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump(state, f, ensure_ascii=False, indent=1)
        os.replace(tmp, self.path)

    def local_path(self, win_path):
        """The directory behind a path such as C:\\Data, or None when it names no drive."""
        if len(win_path) < 2 or win_path[1] != ":" or not win_path[0].isalpha():
            return None
        root = os.path.join(self.dir, win_path[0].upper())
        if not os.path.isdir(root):
            return None
        rest = [p for p in win_path[2:].replace("/", "\\").split("\\") if p]
        if any(p in (".", "..") for p in rest):
            return None
        return os.path.join(root, *rest) if rest else root


def find_share(state, name):
    for s in state["shares"]:
        if s["name"].lower() == name.lower():
            return s
    return None


def sd_of(share):
    return bytes.fromhex(share["sd"]) if share.get("sd") else None


# ------------------------------------------------------------------ DCE/RPC over the pipes


class Fault(Exception):
    def __init__(self, status):
        super().__init__(status)
        self.status = status


NCA_OP_RNG_ERROR = 0x1C010002
RPC_BAD_STUB_DATA = 0x000006F7
MAX_FRAGMENT = 4280

PIPE_OWNERS = {}  # local port of the SMB server's pipe socket -> (user, SMB connection id)
PIPE_OWNERS_LOCK = threading.Lock()


class RpcHandler(socketserver.BaseRequestHandler):
    """One named-pipe client: binds and requests as connection-oriented DCE/RPC (C706 12),
    requests reassembled from their fragments, answers cut to the negotiated fragment size."""

    def read_exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.request.recv(n - len(data))
            if not chunk:
                return None
            data += chunk
        return data

    def read_pdu(self):
        head = self.read_exact(16)
        if head is None:
            return None, None
        frag_len = struct.unpack_from("<H", head, 8)[0]
        if frag_len < 16:
            return None, None
        body = self.read_exact(frag_len - 16)
        if body is None:
            return None, None
        return head, body

    def handle(self):
        try:
            self.serve()
        except (struct.error, OSError) as e:  # a PDU cut short, a connection gone
            LOG.info("pipe connection ended: %s", e)

    def serve(self):
        self.contexts = {}
        self.max_frag = MAX_FRAGMENT
        service = self.server.service
        pending = b""
        while True:
            head, body = self.read_pdu()
            if head is None:
                return
            ptype, flags = head[2], head[3]
            call_id = struct.unpack_from("<I", head, 12)[0]
            if ptype in (11, 14):  # bind, alter context
                self.bind(ptype, call_id, body)
                continue
            if ptype != 0:  # only requests from here on
                continue
            ctx, opnum = struct.unpack_from("<HH", body, 4)
            stub = body[24 - 16 + (16 if flags & 0x80 else 0):]
            pending = (pending if not flags & 0x01 else b"") + stub
            if not flags & 0x02:
                continue
            data, pending = pending, b""
            iface = self.contexts.get(ctx)
            owner = PIPE_OWNERS.get(self.client_address[1], (None, None))
            try:
                if iface is None:
                    raise Fault(NCA_OP_RNG_ERROR)
                reply = service.call(iface, opnum, data, owner)
            except Fault as f:
                self.fault(call_id, ctx, f.status)
                continue
            except Exception:  # a request the structures cannot read
                LOG.exception("opnum %d", opnum)
                self.fault(call_id, ctx, RPC_BAD_STUB_DATA)
                continue
            self.respond(call_id, ctx, reply)

    def header(self, ptype, flags, frag_len, call_id):
        return struct.pack("<BBBB4sHHI", 5, 0, ptype, flags, b"\x10\0\0\0", frag_len, 0, call_id)

    def bind(self, ptype, call_id, body):
        max_xmit, max_recv, assoc = struct.unpack_from("<HHI", body, 0)
        self.max_frag = max(1024, min(max_recv, MAX_FRAGMENT))
        count = body[8]
        off = 12
        results = b""
        for _ in range(count):
            ctx_id, ntransfer = struct.unpack_from("<HB", body, off)
            abstract = body[off + 4:off + 24]
            transfers = [body[off + 24 + 20 * i:off + 44 + 20 * i] for i in range(ntransfer)]
            off += 24 + 20 * ntransfer
            if abstract not in (SRVSVC, LSARPC):
                results += struct.pack("<HH", 2, 1) + b"\0" * 20
            elif NDR32 not in transfers:
                results += struct.pack("<HH", 2, 2) + b"\0" * 20
            else:
                self.contexts[ctx_id] = "srvsvc" if abstract == SRVSVC else "lsarpc"
                results += struct.pack("<HH", 0, 0) + NDR32
        if ptype == 11:
            name = b"\\PIPE\\" + (b"srvsvc" if SRVSVC in body else b"lsass") + b"\0"
        else:
            name = b""
        sec = struct.pack("<H", len(name)) + name
        sec += b"\0" * ((4 - (16 + 8 + len(sec)) % 4) % 4)
        out = struct.pack("<HHI", self.max_frag, self.max_frag, assoc or 0x53F0) + sec + \
            struct.pack("<B3x", count) + results
        self.request.sendall(self.header(12 if ptype == 11 else 15, 3, 16 + len(out), call_id) + out)

    def respond(self, call_id, ctx, stub):
        room = self.max_frag - 24
        offset = 0
        while True:
            chunk = stub[offset:offset + room]
            flags = (1 if offset == 0 else 0)
            offset += len(chunk)
            if offset >= len(stub):
                flags |= 2
            pdu = self.header(2, flags, 24 + len(chunk), call_id) + \
                struct.pack("<IHBB", len(stub) - offset + len(chunk), ctx, 0, 0) + chunk
            self.request.sendall(pdu)
            if flags & 2:
                return

    def fault(self, call_id, ctx, status):
        body = struct.pack("<IHBBII", 0, ctx, 0, 0, status, 0)
        self.request.sendall(self.header(3, 3, 16 + len(body), call_id) + body)


class RpcServer(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, service):
        self.service = service
        super().__init__(("127.0.0.1", 0), RpcHandler)


# ------------------------------------------------------------------ the services


def wstr(text):
    return text + "\x00"


def plain(value):
    """A string from a request's WSTR/LPWSTR field; '' for a null pointer."""
    if not isinstance(value, str):
        return ""
    return value.rstrip("\x00")


def number(value):
    """The value behind a request's pointer to a number; 0 for a null pointer."""
    return value if isinstance(value, int) else 0


def blob(value):
    """The bytes behind a request's LPBYTE; None for a null pointer."""
    if isinstance(value, (bytes, bytearray)):
        return bytes(value) if value else None
    if isinstance(value, (list, tuple)):
        return b"".join(v if isinstance(v, bytes) else bytes([v]) for v in value)
    try:
        return bytes(value["Data"]) if value["Data"] else None
    except (TypeError, KeyError):
        return None


class Services:
    def __init__(self, state, accounts, smb):
        self.state = state
        self.accounts = accounts
        self.smb = smb  # the SMB server: its connections are the sessions and open files
        self.handles = set()
        self.file_ids = {}  # 32-bit id -> (connection id, impacket's file id)
        self.next_file_id = 1
        self.srvsvc = {
            9: self.file_enum, 11: self.file_close, 12: self.session_enum,
            13: self.session_del, 14: self.share_add, 15: self.share_enum,
            16: self.share_get_info, 17: self.share_set_info, 18: self.share_del,
        }
        self.lsarpc = {0: self.lsa_close, 14: self.lookup_names, 15: self.lookup_sids,
                       44: self.open_policy2}

    def call(self, iface, opnum, data, owner):
        table = self.srvsvc if iface == "srvsvc" else self.lsarpc
        if opnum not in table:
            raise Fault(NCA_OP_RNG_ERROR)
        LOG.info("%s opnum %d by %s", iface, opnum, owner[0])
        return table[opnum](data, owner[0]).getData()

    # -------------------------------------------------------------- shares ([MS-SRVS] 3.1.4)

    def share_record(self, level, share, record):
        """Fills `record` (SHARE_INFO_<level>) from a stored share."""
        p = "shi%d_" % level
        record[p + "netname"] = wstr(share["name"])
        if level == 0:
            return
        record[p + "type"] = share["type"]
        record[p + "remark"] = wstr(share["remark"])
        if level == 1:
            return
        record[p + "permissions"] = 0
        record[p + "max_uses"] = share["max_uses"]
        record[p + "current_uses"] = self.current_uses(share["name"])
        record[p + "path"] = wstr(share["path"])
        record[p + "passwd"] = NULL
        if level == 502:
            sd = sd_of(share)
            record[p + "reserved"] = len(sd) if sd else 0
            record[p + "security_descriptor"] = list(sd) if sd else NULL

    def record_size(self, level, share):
        """What one record takes in the answer, fixed part and strings, as the preferred
        length counts it."""
        fixed = {0: 4, 1: 12, 2: 32, 502: 40}[level]
        size = fixed + 2 * (len(share["name"]) + 1)
        if level >= 1:
            size += 2 * (len(share["remark"]) + 1)
        if level >= 2:
            size += 2 * (len(share["path"]) + 1)
        if level == 502 and share.get("sd"):
            size += len(share["sd"]) // 2
        return size

    def current_uses(self, name):
        count = 0
        for conn in list(self.smb.getActiveConnections().values()):
            for tree in list(conn.get("ConnectedShares", {}).values()):
                if tree.get("shareName", "").lower() == name.lower():
                    count += 1
        return count

    def may_administer(self, user):
        return self.accounts.is_admin(user)

    def share_enum(self, data, user):
        req = srvs.NetrShareEnum(data)
        level = req["InfoStruct"]["Level"]
        resp = srvs.NetrShareEnumResponse()
        container = self.enum_start(resp, "ShareInfo", level, (0, 1, 2, 502), 1,
                                    level not in (2, 502) or self.may_administer(user))
        if container is None:
            return resp

        def record(share):
            out = getattr(srvs, "SHARE_INFO_%d" % level)()
            self.share_record(level, share, out)
            return out

        return self.enum_answer(resp, container, self.state.load()["shares"], req,
                                lambda share: self.record_size(level, share), record)

    def share_get_info(self, data, user):
        req = srvs.NetrShareGetInfo(data)
        level = req["Level"]
        resp = NetrShareGetInfoResponse()
        info = resp["InfoStruct"]
        info["tag"] = level
        arm = "ShareInfo%d" % level
        if level not in (0, 1, 2, 501, 502, 1005, 1501):
            info["tag"] = 1
            info["ShareInfo1"] = NULL
            resp["ErrorCode"] = ERROR_INVALID_LEVEL
            return resp
        if level in (2, 502, 1501) and not self.may_administer(user):
            info[arm] = NULL
            resp["ErrorCode"] = ERROR_ACCESS_DENIED
            return resp
        share = find_share(self.state.load(), plain(req["NetName"]))
        if share is None:
            info[arm] = NULL
            resp["ErrorCode"] = NERR_NetNameNotFound
            return resp
        if level == 1005:
            info[arm]["shi1005_flags"] = share.get("flags", 0)
        elif level == 1501:
            sd = sd_of(share)
            info[arm]["shi1501_reserved"] = len(sd) if sd else 0
            info[arm]["shi1501_security_descriptor"] = list(sd) if sd else NULL
        elif level == 501:
            info[arm]["shi501_netname"] = wstr(share["name"])
            info[arm]["shi501_type"] = share["type"]
            info[arm]["shi501_remark"] = wstr(share["remark"])
            info[arm]["shi501_flags"] = share.get("flags", 0)
        else:
            self.share_record(level, share, info[arm])
        resp["ErrorCode"] = ERROR_SUCCESS
        return resp

    def check_path(self, path):
        local = self.state.local_path(path)
        if local is None or not os.path.isdir(local):
            return NERR_UnknownDevDir
        return ERROR_SUCCESS

    def share_add(self, data, user):
        req = srvs.NetrShareAdd(data)
        level = req["Level"]
        resp = srvs.NetrShareAddResponse()
        resp["ParmErr"] = NULL
        if level not in (2, 502):
            resp["ErrorCode"] = ERROR_INVALID_LEVEL
            return resp
        if not self.may_administer(user):
            resp["ErrorCode"] = ERROR_ACCESS_DENIED
            return resp
        rec = req["InfoStruct"]["ShareInfo%d" % level]
        p = "shi%d_" % level
        name = plain(rec[p + "netname"])
        path = plain(rec[p + "path"])
        stype = rec[p + "type"]
        sd = None
        if level == 502 and blob(rec[p + "security_descriptor"]) is not None:
            sd = blob(rec[p + "security_descriptor"])
            if not descriptor_sane(sd):
                resp["ErrorCode"] = ERROR_INVALID_PARAMETER
                return resp
        if not name or len(name) > 80 or any(c in name for c in '\\/:*?"<>|'):
            resp["ErrorCode"] = ERROR_INVALID_NAME
            return resp
        with self.state.lock:
            state = self.state.load()
            if find_share(state, name):
                resp["ErrorCode"] = NERR_DuplicateShare
                return resp
            if stype & 0xFF == STYPE_DISKTREE:
                err = self.check_path(path)
                if err:
                    resp["ErrorCode"] = err
                    return resp
            state["shares"].append({
                "name": name, "type": stype, "remark": plain(rec[p + "remark"]),
                "path": path, "max_uses": rec[p + "max_uses"],
                # Without a descriptor a new share lets everyone read, as Windows does.
                "sd": (sd or make_sd([(False, READ, "S-1-1-0")])).hex(),
            })
            self.state.save(state)
        resp["ErrorCode"] = ERROR_SUCCESS
        return resp

    def share_set_info(self, data, user):
        req = NetrShareSetInfo(data)
        level = req["Level"]
        resp = srvs.NetrShareSetInfoResponse()
        resp["ParmErr"] = NULL
        if level not in (1, 2, 502, 1004, 1005, 1006, 1501):
            resp["ErrorCode"] = ERROR_INVALID_LEVEL
            return resp
        if not self.may_administer(user):
            resp["ErrorCode"] = ERROR_ACCESS_DENIED
            return resp
        info = req["ShareInfo"]["ShareInfo%d" % level]
        if isinstance(info, (bytes, int)):
            resp["ErrorCode"] = ERROR_INVALID_PARAMETER
            return resp
        with self.state.lock:
            state = self.state.load()
            share = find_share(state, plain(req["NetName"]))
            if share is None:
                resp["ErrorCode"] = NERR_NetNameNotFound
                return resp
            p = "shi%d_" % level
            # The new descriptor (None: none given), refused on a special share.
            sd = None
            if level == 502:
                sd = blob(info[p + "security_descriptor"])
            elif level == 1501:
                sd = blob(info["shi1501_security_descriptor"]) or b""
            if sd is not None:
                if not descriptor_sane(sd):
                    resp["ErrorCode"] = ERROR_INVALID_PARAMETER
                    return resp
                if share["type"] & STYPE_SPECIAL:
                    resp["ErrorCode"] = ERROR_ACCESS_DENIED
                    return resp
                share["sd"] = sd.hex()
            # A change never moves a share: the path of a level 2 or 502 record is ignored
            # ([MS-SRVS] 3.1.4.11), as are its name and type.
            if level in (1, 2, 502):
                share["remark"] = plain(info[p + "remark"])
            if level in (2, 502):
                share["max_uses"] = info[p + "max_uses"]
            if level == 1004:
                share["remark"] = plain(info["shi1004_remark"])
            elif level == 1005:
                share["flags"] = info["shi1005_flags"]
            elif level == 1006:
                share["max_uses"] = info["shi1006_max_uses"]
            self.state.save(state)
        resp["ErrorCode"] = ERROR_SUCCESS
        return resp

    def share_del(self, data, user):
        req = srvs.NetrShareDel(data)
        resp = srvs.NetrShareDelResponse()
        if not self.may_administer(user):
            resp["ErrorCode"] = ERROR_ACCESS_DENIED
            return resp
        with self.state.lock:
            state = self.state.load()
            share = find_share(state, plain(req["NetName"]))
            if share is None:
                resp["ErrorCode"] = NERR_NetNameNotFound
                return resp
            if share["name"].upper() == "IPC$":
                resp["ErrorCode"] = ERROR_ACCESS_DENIED
                return resp
            state["shares"].remove(share)
            self.state.save(state)
        resp["ErrorCode"] = ERROR_SUCCESS
        return resp

    # -------------------------------------------------------------- sessions and files

    def sessions(self):
        """(connection id, client address, user, opens, seconds, idle, guest) of every
        logged-on SMB connection."""
        out = []
        now = time.time()
        for cid, conn in list(self.smb.getActiveConnections().items()):
            auth = conn.get("AUTHENTICATE_MESSAGE")
            if not conn.get("Authenticated") or auth is None:
                continue
            user = auth["user_name"].decode("utf-16le")
            opens = sum(1 for f in list(conn.get("OpenedFiles", {}).values())
                        if f.get("FileHandle") not in (smbserver.PIPE_FILE_DESCRIPTOR,))
            began = conn.setdefault("WinlikeStart", now)
            out.append((cid, conn["ClientIP"], user, opens, int(now - began), 0))
        return out

    def enum_start(self, resp, union, level, levels, fallback, allowed):
        """Opens the answer of an enumeration at LEVEL: its container, or None when the answer
        is already complete: a level not in LEVELS is answered with the empty arm of level
        FALLBACK, a caller not ALLOWED is refused. The resume handle of an answer is set
        exactly once: an impacket pointer given NULL and then a number is encoded without its
        referent."""
        resp["InfoStruct"]["Level"] = level
        resp["InfoStruct"][union]["tag"] = level
        resp["TotalEntries"] = 0
        if level not in levels:
            resp["InfoStruct"]["Level"] = fallback
            resp["InfoStruct"][union]["tag"] = fallback
            resp["InfoStruct"][union]["Level%d" % fallback] = NULL
            resp["ResumeHandle"] = NULL
            resp["ErrorCode"] = ERROR_INVALID_LEVEL
            return None
        if not allowed:
            resp["InfoStruct"][union]["Level%d" % level] = NULL
            resp["ResumeHandle"] = NULL
            resp["ErrorCode"] = ERROR_ACCESS_DENIED
            return None
        return resp["InfoStruct"][union]["Level%d" % level]

    def enum_answer(self, resp, container, items, req, size, record):
        """Fills an enumeration's answer with the page of ITEMS the request's resume handle and
        preferred length select (SIZE gives an item's size, RECORD its record)."""
        start = number(req["ResumeHandle"])
        preferred = req["PreferedMaximumLength"]
        chosen, used = [], 0
        for item in items[start:]:
            s = size(item)
            # At least one record goes out, so that every call makes progress.
            if chosen and preferred != MAX_PREFERRED_LENGTH and used + s > preferred:
                break
            chosen.append(item)
            used += s
        following = start + len(chosen)
        more = following < len(items)
        container["EntriesRead"] = len(chosen)
        for item in chosen:
            container["Buffer"].append(record(item))
        if not chosen:
            container["Buffer"] = NULL
        resp["TotalEntries"] = len(items)
        resp["ResumeHandle"] = following if more else 0
        resp["ErrorCode"] = ERROR_MORE_DATA if more else ERROR_SUCCESS
        return resp

    def session_enum(self, data, user):
        req = srvs.NetrSessionEnum(data)
        level = req["InfoStruct"]["Level"]
        resp = srvs.NetrSessionEnumResponse()
        container = self.enum_start(resp, "SessionInfo", level, (0, 1, 2, 10, 502), 0,
                                    level not in (1, 2, 502) or self.may_administer(user))
        if container is None:
            return resp
        client = plain(req["ClientName"]).lstrip("\\")
        wanted_user = plain(req["UserName"]).lower()
        items = [s for s in self.sessions()
                 if (not client or s[1] == client) and (not wanted_user or s[2].lower() == wanted_user)]

        def record(session):
            cid, ip, name, opens, seconds, idle = session
            out = getattr(srvs, "SESSION_INFO_%d" % level)()
            p = "sesi%d_" % level
            # Windows names the client with two backslashes before its address.
            out[p + "cname"] = wstr("\\\\" + ip)
            if level != 0:
                out[p + "username"] = wstr(name)
                out[p + "time"] = seconds
                out[p + "idle_time"] = idle
            if level in (1, 2, 502):
                out[p + "num_opens"] = opens
                out[p + "user_flags"] = 0
            if level in (2, 502):
                out[p + "cltype_name"] = wstr("")
            if level == 502:
                out[p + "transport"] = wstr("\\Device\\NetbiosSmb")
            return out

        return self.enum_answer(resp, container, items, req, lambda s: 64, record)

    def session_del(self, data, user):
        req = srvs.NetrSessionDel(data)
        resp = srvs.NetrSessionDelResponse()
        if not self.may_administer(user):
            resp["ErrorCode"] = ERROR_ACCESS_DENIED
            return resp
        client = plain(req["ClientName"])
        wanted_user = plain(req["UserName"]).lower()
        if client and not client.startswith("\\\\"):
            resp["ErrorCode"] = ERROR_INVALID_NAME
            return resp
        client = client[2:]
        ended = 0
        for cid, ip, name, *_ in self.sessions():
            if (not client or ip == client) and (not wanted_user or name.lower() == wanted_user):
                self.smb.end_connection(cid)
                ended += 1
        resp["ErrorCode"] = ERROR_SUCCESS if ended else NERR_ClientNameNotFound
        return resp

    def open_files(self):
        """(id, connection id, impacket file id, Windows path, user, permissions)."""
        out = []
        known = {v: k for k, v in self.file_ids.items()}
        for cid, conn in list(self.smb.getActiveConnections().items()):
            auth = conn.get("AUTHENTICATE_MESSAGE")
            if auth is None:
                continue
            user = auth["user_name"].decode("utf-16le")
            for fid, f in list(conn.get("OpenedFiles", {}).items()):
                if f.get("FileHandle") == smbserver.PIPE_FILE_DESCRIPTOR:
                    continue
                key = (cid, fid)
                if key not in known:
                    known[key] = self.next_file_id
                    self.file_ids[self.next_file_id] = key
                    self.next_file_id += 1
                out.append((known[key], cid, fid, self.windows_path(f.get("FileName", "")),
                            user, f.get("WinlikeAccess", 1)))
        out.sort()
        return out

    def windows_path(self, local):
        root = os.path.realpath(self.state.dir)
        local = os.path.realpath(local)
        if local.startswith(root + os.sep):
            rest = local[len(root) + 1:].split(os.sep)
            if rest and len(rest[0]) == 1:
                return rest[0] + ":\\" + "\\".join(rest[1:])
        return local

    def file_enum(self, data, user):
        req = srvs.NetrFileEnum(data)
        level = req["InfoStruct"]["Level"]
        resp = srvs.NetrFileEnumResponse()
        container = self.enum_start(resp, "FileInfo", level, (2, 3), 3, self.may_administer(user))
        if container is None:
            return resp
        base = plain(req["BasePath"]).lower()
        who = plain(req["UserName"]).lower()
        items = [i for i in self.open_files()
                 if i[3].lower().startswith(base) and (not who or i[4].lower() == who)]

        def record(item):
            fid, cid, _, path, name, perms = item
            out = getattr(srvs, "FILE_INFO_%d" % level)()
            out["fi%d_id" % level] = fid
            if level == 3:
                out["fi3_permissions"] = perms
                out["fi3_num_locks"] = 0
                out["fi3_path_name"] = wstr(path)
                out["fi3_username"] = wstr(name)
            return out

        return self.enum_answer(resp, container, items, req, lambda i: 20 + 2 * len(i[3]), record)

    def file_close(self, data, user):
        req = srvs.NetrFileClose(data)
        resp = srvs.NetrFileCloseResponse()
        if not self.may_administer(user):
            resp["ErrorCode"] = ERROR_ACCESS_DENIED
            return resp
        self.open_files()
        key = self.file_ids.get(req["FileId"])
        closed = key is not None and self.smb.close_file(*key)
        resp["ErrorCode"] = ERROR_SUCCESS if closed else NERR_FileIdNotFound
        return resp

    # -------------------------------------------------------------- accounts ([MS-LSAT])

    def open_policy2(self, data, user):
        lsad.LsarOpenPolicy2(data)
        resp = lsad.LsarOpenPolicy2Response()
        handle = os.urandom(20)
        self.handles.add(handle)
        resp["PolicyHandle"] = handle
        resp["ErrorCode"] = STATUS_SUCCESS
        return resp

    def lsa_close(self, data, user):
        req = lsad.LsarClose(data)
        resp = lsad.LsarCloseResponse()
        handle = req["ObjectHandle"].getData() if hasattr(req["ObjectHandle"], "getData") \
            else bytes(req["ObjectHandle"])
        known = handle in self.handles
        self.handles.discard(handle)
        resp["ObjectHandle"] = b"\0" * 20
        resp["ErrorCode"] = STATUS_SUCCESS if known else STATUS_INVALID_HANDLE
        return resp

    def known_handle(self, field):
        handle = field.getData() if hasattr(field, "getData") else bytes(field)
        return handle in self.handles

    def referenced(self, resp, domains):
        ref = resp["ReferencedDomains"]
        ref["Entries"] = len(domains)
        ref["MaxEntries"] = 32
        for name, dsid in domains:
            trust = lsad.LSAPR_TRUST_INFORMATION()
            trust["Name"] = name
            trust["Sid"].fromCanonical(dsid)
            ref["Domains"].append(trust)
        if not domains:
            ref["Domains"] = NULL

    @staticmethod
    def lookup_status(mapped, total):
        if total and mapped == total:
            return STATUS_SUCCESS
        return STATUS_SOME_NOT_MAPPED if mapped else STATUS_NONE_MAPPED

    def lookup(self, req, resp, listing, field, items, translate):
        """Answers a lookup of ITEMS into RESP[LISTING][FIELD]: TRANSLATE(item) gives the entry,
        the (name, SID) of its domain or None, and whether the item was mapped."""
        if not self.known_handle(req["PolicyHandle"]):
            resp["ReferencedDomains"] = NULL
            resp[listing]["Entries"] = 0
            resp[listing][field] = NULL
            resp["MappedCount"] = 0
            resp["ErrorCode"] = STATUS_INVALID_HANDLE
            return resp
        domains, mapped = [], 0
        resp[listing]["Entries"] = len(items)
        for item in items:
            entry, domain, known = translate(item)
            if domain is not None and domain not in domains:
                domains.append(domain)
            entry["DomainIndex"] = -1 if domain is None else domains.index(domain)
            mapped += known
            resp[listing][field].append(entry)
        self.referenced(resp, domains)
        resp["MappedCount"] = mapped
        resp["ErrorCode"] = self.lookup_status(mapped, len(items))
        return resp

    def lookup_names(self, data, user):
        req = lsat.LsarLookupNames(data)

        def translate(text):
            entry = lsat.LSA_TRANSLATED_SID()
            found = self.accounts.lookup_name(text)
            if found is None:
                entry["Use"] = USE_UNKNOWN
                entry["RelativeId"] = 0
                return entry, None, False
            dname, dsid, rid, use = found
            entry["Use"] = use
            entry["RelativeId"] = rid if rid is not None else 0
            return entry, (dname, dsid), True

        return self.lookup(req, lsat.LsarLookupNamesResponse(), "TranslatedSids", "Sids",
                           [n["Data"] for n in req["Names"]], translate)

    def lookup_sids(self, data, user):
        req = lsat.LsarLookupSids(data)

        def translate(text):
            entry = lsat.LSAPR_TRANSLATED_NAME()
            found = self.accounts.lookup_sid(text)
            if found is None:
                entry["Use"] = USE_UNKNOWN
                entry["Name"] = text
                return entry, None, False
            dname, dsid, name, use = found
            # An unknown account of a known domain: the domain is referenced, the name is the
            # SID in its text form ([MS-LSAT] 3.1.4.11).
            entry["Use"] = use
            entry["Name"] = name if name is not None else text
            return entry, (dname, dsid), name is not None

        return self.lookup(req, lsat.LsarLookupSidsResponse(), "TranslatedNames", "Names",
                           [i["Sid"].formatCanonical() for i in req["SidEnumBuffer"]["SidInfo"]],
                           translate)


# ------------------------------------------------------------------ SMB


class Handler(smbserver.SMBSERVERHandler):
    def setup(self):
        self.server.sockets[threading.current_thread().name] = self.request
        super().setup()

    def finish(self):
        self.server.sockets.pop(threading.current_thread().name, None)
        super().finish()


class SmbServer(smbserver.SMBSERVER):
    daemon_threads = True

    def __init__(self, address, config, state):
        self.sockets = {}
        self.state = state
        super().__init__((address, 445), handler_class=Handler, config_parser=config)
        self.processConfigFile()
        self.original_create = self.hookSmb2Command(smb2.SMB2_CREATE, self.create)
        self.original_tree = self.hookSmb2Command(smb2.SMB2_TREE_CONNECT, self.tree_connect)
        self.original_close = self.hookSmb2Command(smb2.SMB2_CLOSE, self.close)

    def close(self, connId, smbServer, recvPacket):
        # A handle the administrator closed answers STATUS_FILE_CLOSED to its owner, as on
        # Windows ([MS-SMB2] 3.3.5.10: the open is gone).
        conn = self.getConnectionData(connId)
        fid = smb2.SMB2Close(recvPacket["Data"])["FileID"].getData()
        if fid in conn.get("WinlikeClosed", set()):
            conn["WinlikeClosed"].discard(fid)
            return [smb2.SMB2Error()], None, STATUS_FILE_CLOSED
        return self.original_close(connId, smbServer, recvPacket)

    def tree_connect(self, connId, smbServer, recvPacket):
        # The shares served are those of the state file, read at every tree connect.
        self.refresh_shares()
        return self.original_tree(connId, smbServer, recvPacket)

    def refresh_shares(self):
        config = self.getServerConfig()
        for section in config.sections():
            if section != "global":
                config.remove_section(section)
        config.add_section("IPC$")
        config.set("IPC$", "comment", "")
        config.set("IPC$", "read only", "yes")
        config.set("IPC$", "share type", "3")
        config.set("IPC$", "path", "")
        for share in self.state.load()["shares"]:
            if share["type"] & 0xFF != STYPE_DISKTREE:
                continue
            local = self.state.local_path(share["path"])
            if local is None:
                continue
            name = share["name"].upper()
            config.add_section(name)
            config.set(name, "comment", share["remark"].replace("%", "%%"))
            config.set(name, "read only", "no")
            config.set(name, "share type", "0")
            config.set(name, "path", local.replace("%", "%%"))

    def create(self, connId, smbServer, recvPacket):
        before = set(self.getConnectionData(connId)["OpenedFiles"])
        result = self.original_create(connId, smbServer, recvPacket)
        conn = self.getConnectionData(connId)
        auth = conn.get("AUTHENTICATE_MESSAGE")
        user = auth["user_name"].decode("utf-16le") if auth else ""
        request = smb2.SMB2Create(recvPacket["Data"])
        for fid in set(conn["OpenedFiles"]) - before:
            f = conn["OpenedFiles"][fid]
            if "Socket" in f:
                with PIPE_OWNERS_LOCK:
                    PIPE_OWNERS[f["Socket"].getsockname()[1]] = (user, connId)
            else:
                access = request["DesiredAccess"]
                perms = 1  # PERM_FILE_READ
                if access & (smb2.FILE_WRITE_DATA | smb2.GENERIC_WRITE | smb2.GENERIC_ALL |
                             smb2.FILE_APPEND_DATA):
                    perms |= 2  # PERM_FILE_WRITE
                f["WinlikeAccess"] = perms
        return result

    def end_connection(self, cid):
        sock = self.sockets.get(cid)
        if sock is not None:
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def close_file(self, cid, fid):
        conn = self.getActiveConnections().get(cid)
        if conn is None or fid not in conn.get("OpenedFiles", {}):
            return False
        f = conn["OpenedFiles"].pop(fid)
        conn.setdefault("WinlikeClosed", set()).add(fid)
        try:
            if f["FileHandle"] >= 0:
                os.close(f["FileHandle"])
        except OSError:
            pass
        return True


# ------------------------------------------------------------------ the demo set

LONG_COMMENT = ("Archive of finished projects. This comment is deliberately long so that list"
                " columns, tool tips and property pages have to cope with text that runs far beyond"
                " the visible width of any reasonable column, up to the limit of what servers keep.")
NO_LIMIT = 0xFFFFFFFF


def demo_shares(accounts):
    a, u1, u2, st = (accounts.sid_of(n) for n in
                     (accounts.admin, accounts.user1, accounts.user2, accounts.group))
    admins, everyone = "S-1-5-32-544", "S-1-1-0"
    # The administrative shares carry the descriptor Windows gives them; it cannot be changed.
    special = [(False, FULL, admins), (False, FULL, "S-1-5-32-551"), (False, FULL, "S-1-5-4")]
    rows = [
        ("ADMIN$", STYPE_SPECIAL, "Remote Admin", "C:\\Windows", NO_LIMIT, special),
        ("C$", STYPE_SPECIAL, "Default share", "C:\\", NO_LIMIT, special),
        ("D$", STYPE_SPECIAL, "Default share", "D:\\", NO_LIMIT, special),
        ("IPC$", STYPE_SPECIAL | STYPE_IPC, "Remote IPC", "", NO_LIMIT, "none"),
        ("Public", 0, "Public files for everyone", "D:\\Public", NO_LIMIT, [(False, FULL, everyone)]),
        ("Data", 0, "Company data", "C:\\Data", NO_LIMIT, [(False, READ, everyone)]),
        ("Alpha", 0, "Project Alpha", "C:\\Data\\Alpha", 5,
         [(False, READ, st), (True, CHANGE, u2), (False, FULL, a)]),
        ("Beta", 0, "Project Beta", "C:\\Data\\Beta", 10, [(False, FULL, u1), (False, READ, u2)]),
        ("Work", 0, "Work in progress", "D:\\Work", 25, [(False, READ, everyone), (False, CHANGE, st)]),
        ("Archive", 0, LONG_COMMENT, "D:\\Archive", NO_LIMIT,
         [(False, FULL, admins), (False, READ, everyone)]),
        ("Backup$", 0, "Hidden backup share", "D:\\Backup", NO_LIMIT, [(False, FULL, a)]),
        ("Donn\u00e9es", 0, "Donn\u00e9es partag\u00e9es \u2014 \u00e9t\u00e9 2024", "C:\\Donn\u00e9es", 3,
         [(False, CHANGE, everyone)]),
        ("\u65e5\u672c\u8a9e", 0, "\u65e5\u672c\u8a9e\u306e\u5171\u6709\u30d5\u30a9\u30eb\u30c0\u30fc",
         "C:\\\u65e5\u672c\u8a9e", NO_LIMIT, [(False, FULL, u1), (False, READ, st)]),
        ("Open", 0, "No access control (null DACL)", "D:\\Projects", NO_LIMIT, None),
        ("Locked", 0, "Nobody may enter (empty DACL)", "D:\\Locked", NO_LIMIT, []),
        ("Users", 0, "User folders", "C:\\Users", 1, [(False, READ, everyone)]),
        ("Scratch", 0, "Scratch space for tests", "D:\\Scratch", NO_LIMIT, [(False, FULL, everyone)]),
    ]
    shares = []
    for name, stype, remark, path, limit, aces in rows:
        sd = None if aces == "none" else make_sd(aces)
        shares.append({"name": name, "type": stype, "remark": remark, "path": path,
                       "max_uses": limit, "sd": sd.hex() if sd else None})
    return shares


def make_tree(directory, accounts):
    c, d = os.path.join(directory, "C"), os.path.join(directory, "D")
    dirs = ["Hidden/Inner", ".config/corvane", "Data/Alpha/Docs", "Data/Beta", "Program Files/Corvane",
            "Donn\u00e9es/\u00c9t\u00e9", "\u65e5\u672c\u8a9e/\u8cc7\u6599", "Windows/Temp"]
    dirs += ["Users/" + n for n in (accounts.admin, accounts.user1, accounts.user2)]
    deep = "Deep/" + "/".join("Level%02d-abcdefghijklmnopqrstuvwxyz" % i for i in range(1, 10))
    dirs.append(deep + "/Bottom")
    for p in dirs:
        os.makedirs(os.path.join(c, p), exist_ok=True)
    # D:\Data mirrors C:\Data, so that a path can move from one drive to the other.
    for p in ["Data/Alpha", "Data/Beta", "Work/Reports", "Work/Drafts", "Public", "Archive/2023", "Archive/2024", "Backup",
              "Projects/Orion", "Projects/Vega", "Locked", "Scratch", "Bulk"]:
        os.makedirs(os.path.join(d, p), exist_ok=True)
    for path, text in ((os.path.join(c, "readme.txt"), "Corvane test drive C\n"),
                       (os.path.join(d, "readme.txt"), "Corvane test drive D\n"),
                       (os.path.join(c, "Data", "Alpha", "plan.txt"), "alpha\n")):
        if not os.path.exists(path):
            with open(path, "w") as f:
                f.write(text)
    os.chmod(os.path.join(d, "Scratch"), 0o1777)


def accounts_from(args):
    acc = json.loads(args.accounts)
    octet = int(args.addr.rsplit(".", 1)[1])
    return acc, Accounts(args.name, octet, acc["admin"], acc["user1"], acc["user2"], acc["group"])


def reset(args):
    _, accounts = accounts_from(args)
    make_tree(args.dir, accounts)
    shares = demo_shares(accounts)
    for i in range(1, args.bulk + 1):
        shares.append({"name": "Bulk%05d" % i, "type": 0, "remark": "Bulk share %d" % i,
                       "path": "D:\\Bulk", "max_uses": NO_LIMIT,
                       "sd": make_sd([(False, READ, "S-1-1-0")]).hex()})
    State(args.dir).save({"shares": shares})
    return 0


def get(args):
    """Prints one field of a share as the state file holds it; exit 1 when there is none."""
    share = find_share(State(args.dir).load(), args.share)
    if share is None or args.field not in share:
        return 1
    value = share[args.field]
    print(value if value is not None else "")
    return 0


# ------------------------------------------------------------------ main


def serve(args):
    log_dir = os.path.join(args.dir, "log")
    os.makedirs(log_dir, exist_ok=True)
    logging.basicConfig(filename=os.path.join(log_dir, "server.log"), level=logging.INFO,
                        format="%(asctime)s %(threadName)s %(levelname)s %(message)s")
    # impacket logs every logon with its NTLM response; only its warnings go to the log.
    logging.getLogger("impacket").setLevel(logging.WARNING)
    acc, accounts = accounts_from(args)
    state = State(args.dir)

    config = configparser.ConfigParser()
    config.add_section("global")
    config.set("global", "server_name", args.name)
    config.set("global", "server_os", "Windows Server")
    config.set("global", "server_domain", args.name)
    config.set("global", "log_file", "None")
    config.set("global", "credentials_file", "")
    config.set("global", "SMB2Support", "True")
    config.set("global", "anonymous_logon", "False")
    config.set("global", "challenge", os.urandom(8).hex())
    smb = SmbServer(args.addr, config, state)
    smb.refresh_shares()
    for key in ("admin", "user1", "user2"):
        nthash = ntlm.compute_nthash(acc[key + "_password"]).hex()
        smb.addCredential(acc[key], 0, "", nthash)

    services = Services(state, accounts, smb)
    rpc = RpcServer(services)
    port = rpc.server_address[1]
    smb.registerNamedPipe("srvsvc", ("127.0.0.1", port))
    smb.registerNamedPipe("lsarpc", ("127.0.0.1", port))
    threading.Thread(target=rpc.serve_forever, name="rpc", daemon=True).start()

    def stop(*_):
        threading.Thread(target=smb.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    LOG.info("serving %s:445 as %s", args.addr, args.name)
    smb.serve_forever()
    smb.server_close()
    rpc.shutdown()
    return 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("command", choices=("serve", "reset", "get"))
    ap.add_argument("--addr", required=True)
    ap.add_argument("--dir", required=True)
    ap.add_argument("--name", required=True)
    ap.add_argument("--accounts", required=True,
                    help="JSON: admin, user1, user2, group and the users' passwords")
    ap.add_argument("--bulk", type=int, default=0)
    ap.add_argument("share", nargs="?")
    ap.add_argument("field", nargs="?")
    args = ap.parse_args()
    return {"serve": serve, "reset": reset, "get": get}[args.command](args)

if __name__ == "__main__":
    sys.exit(main())
