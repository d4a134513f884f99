#include "app/wait_cursor_crypto.h"

#include <windows.h>

namespace velt {

namespace {

// No message is handled while the key is derived, so nothing resets the
// cursor before it is put back.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

} // namespace

void WaitCursorCrypto::DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize,
                                 std::uint32_t iterations, unsigned char* key) {
    WaitCursor wait;
    CngCrypto::DeriveKey(password, salt, saltSize, iterations, key);
}

} // namespace velt
