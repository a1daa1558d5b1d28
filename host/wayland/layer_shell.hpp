// The layer-shell protocol's generated client code, whose C names a request argument
// "namespace": renamed here for C++.
#pragma once

#include <wayland-client.h>

#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
