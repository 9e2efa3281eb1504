#include "records/QelUser.h"

#include "platform/Platform.h"
#include "util/StringUtils.h"

namespace qel {

TQelUser::TQelUser(TPlatform& platform)
    : UserName(UpperAscii(GetWindowsUserName(platform))), ComputerName(UpperAscii(GetWindowsComputerName(platform))) {}

} // namespace qel
