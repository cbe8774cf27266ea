#pragma once
// The layout of an item's file: one element a line, indented by its depth,
// so that a diff of two versions shows the elements that changed.
//
// Only white space between elements is touched, and only in element-only
// content (child elements, comments and processing instructions with nothing
// but white space between them), which is layout and no value: the review
// and the document's reads pass it by alike. Text, CDATA, mixed content and
// everything below an element with xml:space="preserve" stay as written, and
// so does the content of elements nested deeper than 32 levels.

#include <libxml/tree.h>

namespace tw::host {

// Two spaces a level, a line break before every child of element-only
// content and before its end tag. Existing white space that already says
// that is left alone (a blank line between two elements stays); other white
// space there is replaced. Returns whether anything changed.
bool lay_out(xmlDoc& doc);
// Whether lay_out would leave the document as it is; changes nothing.
bool is_laid_out(const xmlDoc& doc);

}  // namespace tw::host
