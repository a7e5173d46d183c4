#pragma once

#include "Status.h"

#include <string>
#include <utility>

namespace corvane {

// A logon name as typed into "Connect as", split into the user and the domain the server is
// given: "DOMAIN\user" names its domain (which wins over the Domain box), "user@realm" is a
// principal name that carries its own (the Domain box is left out), and a bare user takes the
// Domain box. Surrounding blanks are dropped.
std::pair<std::u16string, std::u16string> splitLogonName(std::u16string_view user,
                                                         std::u16string_view domain);

// What to tell the user about a logon the server refused with `result`; empty when the
// status needs no words beyond the usual "user name or password" question.
std::u16string describeLogonFailure(Status result);

} // namespace corvane
