// The line of keys under the web page's canvas: the bindings in force, as page.js
// shows them.
#pragma once

namespace page {

// Sends the bindings to the page when they differ from the ones it shows (the first
// call always sends them). Cheap when nothing changed: two small tables compared.
void showKeysIfChanged();

} // namespace page
