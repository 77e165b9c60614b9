// The hand-written explanations beside the generated pages: a text file of
// blocks. Text before the first block is the page's introduction (Markdown).
//
//   [NAME ...]             a block for one or more names (a parameter, or the
//                          keys of the texts that make one message)
//   @field: text           a field of the block; lines up to the next field or
//   more text              block belong to it (Markdown, blank lines kept)
#pragma once

#include <map>
#include <string>
#include <vector>

namespace krv::docgen {

struct NoteBlock {
    std::vector<std::string> names;
    std::map<std::string, std::string> fields;  // field name -> Markdown text
    int line = 0;                               // of the block's header
};

struct Notes {
    std::string intro;
    std::vector<NoteBlock> blocks;

    // False with *error set ("FILE:LINE: what") for a malformed file.
    bool Parse(const std::string& file, const std::string& text, std::string* error);
    // The block naming `name`, or null.
    const NoteBlock* Find(const std::string& name) const;
};

// A field's text, or "" when the block lacks it.
std::string Field(const NoteBlock& block, const std::string& name);

}  // namespace krv::docgen
