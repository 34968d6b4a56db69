// STUB: replaced by the key bindings.
#include "config/key_bindings.h"
std::uint16_t KeyBindings[2][actionSlots] = {};
int ActionFromName(std::string_view) {
    return -1;
}
std::uint16_t KeyCodeFromName(std::string_view) {
    return 0;
}
BindRequest ParseBindArguments(std::string_view) {
    return {-1, 0, -1};
}
bool Bind(std::string_view) {
    return false;
}
void StoreDefaultBindings() {}
