#include "exportdata/field_views.h"

#include "exportdata/ljwords.h"

namespace krv {

int FieldViews::Init(std::string_view line) {
    fields_.clear();
    EndReached = false;
    if (line.empty()) return 0;
    // A byte loop: fields are short, so a library search per field costs
    // more in calls than it saves in scanning.
    const char* start = line.data();
    const char* end = start + line.size();
    for (const char* p = start; p < end; ++p) {
        if (*p != delimiter_) continue;
        fields_.emplace_back(start, static_cast<size_t>(p - start));
        start = p + 1;
    }
    // The last field, unless the line ended with the delimiter.
    if (start < end) fields_.emplace_back(start, static_cast<size_t>(end - start));
    return GetCount();
}

int FieldViews::Init(TLJWords& words) {
    fields_.clear();
    EndReached = false;
    for (int i = 0; i < words.GetCount(); ++i) fields_.emplace_back(words[i]);
    return GetCount();
}

}  // namespace krv
