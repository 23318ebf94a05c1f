#pragma once

// Rich text from a file may nest its elements thousands deep, and the
// toolkit's HTML reader takes time in the square of the depth (fifty
// thousand nested divisions: most of a minute). Before it reads such text,
// the tags of every element deeper than a limit are taken out, their
// content kept in the element around them: every character stays, and the
// reader's work grows with the length of the text only.
//
// The text is read in one pass, tags found where the toolkit's reader finds
// them: every "<" opens one; names and keys without regard to case; values
// in double or single quotes or none. img, hr, br and meta hold nothing, nor
// does a tag closed by "/"; an end tag closes the nearest open element of
// its name and everything opened inside it, and is dropped when none is
// open. The result is written out plainly (each tag as a name and quoted
// values, every element closed by an end tag of its own), so that the
// reader cannot find an element the pass did not see. Text and comments
// are passed on as they are.

#include <QString>

namespace HtmlNesting {

// The nesting rich text of a text box may have; our own writer's is a
// handful (html, body, a paragraph, a run, a few more in a table).
inline constexpr int maxDepth = 64;

// The text with the tags of elements nested deeper than `depth` taken out.
QString limited(const QString& html, int depth = maxDepth);

} // namespace HtmlNesting
