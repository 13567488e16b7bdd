#include "result.h"

#include "string_table.h"

namespace {

constexpr std::size_t kMaxMessageLength = 511;

}  // namespace

std::string MessageText(const SMessage& message)
{
    const char* pszFormat = LoadResourceString(message.nStringId);
    if (pszFormat == nullptr)
        return std::string();
    std::string out;
    std::size_t nArg = 0;
    const auto next = [&]() -> const MessageArgument* {
        return nArg < message.args.size() ? &message.args[nArg++] : nullptr;
    };
    for (const char* p = pszFormat; *p != '\0'; ++p) {
        if (*p != '%' || (p[1] != 'd' && p[1] != 's' && p[1] != '%')) {
            out += *p;
            continue;
        }
        const char chConversion = *++p;
        if (chConversion == '%') {
            out += '%';
            continue;
        }
        const MessageArgument* pArg = next();
        if (chConversion == 'd') {
            const long long* pn = pArg != nullptr ? std::get_if<long long>(pArg) : nullptr;
            out += std::to_string(pn != nullptr ? *pn : 0);
        } else if (const std::string* ps = pArg != nullptr ? std::get_if<std::string>(pArg) : nullptr) {
            // A text argument stops at a NUL byte, as the boxes' C strings do.
            out.append(ps->c_str());
        }
    }
    if (out.size() > kMaxMessageLength)
        out.resize(kMaxMessageLength);
    return out;
}
