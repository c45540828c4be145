// Arbitrary sequences of host calls with valid buffers: opcodes, indices, values, parameter
// writes with any float bits, and short blocks of audio between them.
#include "effect/AGain.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

intptr_t quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Opcodes that hand over ownership or a foreign object rather than a text buffer.
bool excluded(int32_t opcode) {
    return opcode == effClose || opcode == effEditOpen || opcode == effProcessEvents;
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool empty() const { return position >= size; }
    template <typename T>
    T next() {
        T value{};
        const size_t count = size - position < sizeof(T) ? size - position : sizeof(T);
        std::memcpy(&value, data + position, count);
        position += count;
        return value;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

void processShortBlock(AEffect* record, Reader& reader) {
    float left[64] = {}, right[64] = {}, outLeft[64] = {}, outRight[64] = {};
    for (int i = 0; i < 64; ++i) {
        left[i] = reader.next<float>();
        right[i] = -left[i];
    }
    float* inputs[] = {left, right};
    float* outputs[] = {outLeft, outRight};
    const int32_t frames = reader.next<uint8_t>() % 65;
    record->process(record, inputs, outputs, frames);
    record->processReplacing(record, inputs, outputs, frames);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FilterEffect effect(quietHost);
    AEffect* record = effect.getAeffect();
    Reader reader(data, size);
    while (!reader.empty()) {
        const auto choice = reader.next<uint8_t>();
        if (choice < 64) {
            const auto index = static_cast<int32_t>(reader.next<int8_t>());
            record->setParameter(record, index, reader.next<float>());
            record->getParameter(record, index);
        } else if (choice < 80) {
            processShortBlock(record, reader);
        } else {
            const auto opcode = static_cast<int32_t>(reader.next<int8_t>());
            const auto index = reader.next<int32_t>();
            const auto value = reader.next<intptr_t>();
            const auto opt = reader.next<float>();
            char buffer[256];
            std::memset(buffer, reader.next<char>(), sizeof buffer - 1);
            buffer[sizeof buffer - 1] = '\0';
            if (!excluded(opcode)) {
                record->dispatcher(record, opcode, index, value, buffer, opt);
            }
        }
    }
    return 0;
}
