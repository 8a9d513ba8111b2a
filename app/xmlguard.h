// SPDX-License-Identifier: MIT
// What an XML document must pass before the toolkit's DOM parser sees it:
// the DOM parser recurses per nesting level and expands entities without a
// bound on the total, so a small hostile file can exhaust the stack or the
// memory. The check streams through the document with bounded memory.
#pragma once

#include <QByteArray>

// True when bytes are well-formed XML nested at most maxDepth elements deep
// whose entities cannot expand to more than maxCharacters characters.
// Namespaces are not processed, as in the DOM parse.
bool isSafeToParse(const QByteArray &bytes, int maxDepth, qint64 maxCharacters);
