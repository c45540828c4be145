// The bytes of the resource files compiled into the library, found by resource id.
#pragma once

#include <cstddef>
#include <span>

// The file's bytes, or an empty span when the library holds no resource of that id.
std::span<const unsigned char> findEmbeddedResource(int id);
