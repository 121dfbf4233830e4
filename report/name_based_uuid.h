// Name-based UUIDs (version 5: SHA-1 of a namespace and a name) under one fixed namespace of
// this program, so that the same name gives the same UUID in every run and on every machine.
// The exchange export names its users, codes, sources and selections with them, which keeps
// two exports of an unchanged corpus identical apart from their dates.
#ifndef FARROWDALE_REPORT_NAME_BASED_UUID_H_
#define FARROWDALE_REPORT_NAME_BASED_UUID_H_

#include <string>
#include <string_view>

namespace farrowdale {

// The UUID of name (any bytes) in its usual text form: 36 characters, lower-case hex digits
// in groups of 8-4-4-4-12, version 5, RFC 4122 variant.
std::string NameBasedUuid(std::string_view name);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_NAME_BASED_UUID_H_
