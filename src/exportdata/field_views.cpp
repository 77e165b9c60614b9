#include "exportdata/field_views.h"

#include <cstring>

#include "exportdata/ljwords.h"

namespace krv {

int FieldViews::Init(std::string_view line) {
    fields_.clear();
    EndReached = false;
    const char* p = line.data();
    const char* end = p + line.size();
    while (p < end) {
        const void* at = std::memchr(p, delimiter_, static_cast<size_t>(end - p));
        if (!at) {
            fields_.emplace_back(p, static_cast<size_t>(end - p));
            break;
        }
        const char* stop = static_cast<const char*>(at);
        fields_.emplace_back(p, static_cast<size_t>(stop - p));
        p = stop + 1;
    }
    return GetCount();
}

int FieldViews::Init(TLJWords& words) {
    fields_.clear();
    EndReached = false;
    for (int i = 0; i < words.GetCount(); ++i) fields_.emplace_back(words[i]);
    return GetCount();
}

}  // namespace krv
