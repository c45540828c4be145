// Atoms as a host, or anything posing as one, hands them over: only the bytes given are read,
// whatever sizes the atoms claim, and by copying, since the host's buffer need not be aligned.
// The plug-in reads its `control` sequence with these and the UI the reports on `notify`.
#pragma once

#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <optional>

class AtomBytes {
public:
    AtomBytes(const uint8_t* data, uint64_t size) : data(data), size(size) {}

    uint64_t length() const { return size; }
    bool holds(uint64_t offset, uint64_t length) const {
        return offset <= size && length <= size - offset;
    }
    template <typename Record>
    Record read(uint64_t offset) const {
        Record record;
        std::memcpy(&record, data + offset, sizeof record);
        return record;
    }
    // The `length` bytes from `offset` on, which the caller has checked these hold.
    AtomBytes part(uint64_t offset, uint64_t length) const { return {data + offset, length}; }

private:
    const uint8_t* data;
    uint64_t size;
};

// Atoms are padded to 8 bytes; in 64 bits, so that no claimed size wraps around.
constexpr uint64_t paddedAtomSize(uint64_t size) {
    return (size + 7) & ~uint64_t{7};
}

// The object's type, from an object's body (LV2_Atom_Object_Body and its properties); nothing
// when the bytes hold no body.
std::optional<LV2_URID> objectType(const AtomBytes& body);
// The int property `key` of an object's body, if it has one of that type (`intType`, atom:Int)
// within the bytes; the first such property counts.
std::optional<int32_t> intProperty(const AtomBytes& body, LV2_URID key, LV2_URID intType);
