# Writes OUTPUT, a C++ source holding each file of RESOURCES ("id=path|id=path|...") as a byte
# array and a table that findEmbeddedResource searches.
string(REPLACE "|" ";" RESOURCES "${RESOURCES}")
set(arrays "")
set(entries "")
foreach(resource ${RESOURCES})
    string(REPLACE "=" ";" pair ${resource})
    list(GET pair 0 id)
    list(GET pair 1 path)
    file(READ ${path} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "const unsigned char resource${id}[] = {\n    ${bytes}\n};\n")
    string(APPEND entries "    {${id}, resource${id}, sizeof resource${id}},\n")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from the resource files at build time; do not edit.
#include \"resources/embedded.h\"

namespace {
${arrays}
struct Entry {
    int id;
    const unsigned char* data;
    std::size_t size;
};

const Entry entries[] = {
${entries}};
} // namespace

std::span<const unsigned char> findEmbeddedResource(int id) {
    for (const Entry& entry : entries) {
        if (entry.id == id) {
            return {entry.data, entry.size};
        }
    }
    return {};
}
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
