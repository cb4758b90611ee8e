// The browser cookie import: the cookies the system's Internet cookie store holds for a site, the
// store the site view shares, as one cookie text.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Every cookie of the store for "http://" + host (HttpOnly ones included), or only the named one
// as name=value; empty when the store holds none.
Text ImportBrowserCookies(std::string_view host, std::string_view cookieName = {});

}  // namespace korvan
