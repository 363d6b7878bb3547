// Texts of the system functions: the refusal message, the hardware-address
// entries and the page statement of a notification click.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/ShellText.h"  // TrimSystemMessage

namespace zel {

// The kind letter of a network adapter by its IP Helper type: "E" for
// Ethernet (6), "W" for IEEE 802.11 wireless (71), "U" for every other type.
std::string MacAddressPrefix(unsigned adapterType);

// "<prefix>,xx:xx:xx:xx:xx:xx" from the first six bytes of `address` (missing
// bytes count as zero); nothing when all six are zero, as for loopback or an
// adapter without a hardware address.
std::optional<std::string> MacAddressEntry(std::string_view prefix,
                                           std::span<const std::uint8_t> address);

// The statement that tells the page that the notification `name` was
// clicked. The name is a JSON string literal, so no name can end the call
// early or add code to it.
std::string NotificationClickStatement(std::string_view name);

}  // namespace zel
