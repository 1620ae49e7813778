// How far a read or a write has come, in units of work (bytes read, values written): done grows
// to total, which may grow too while a read learns of another file. Empty: nobody asks.
#pragma once

#include <cstdint>
#include <functional>

namespace runner {

using FileProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

} // namespace runner
