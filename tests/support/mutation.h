#pragma once

// Corrupts good input at random for the mutation tests of the parsers of
// bytes from outside: cuts, splices from elsewhere in the input, changed
// bytes and holes. Header only; the caller seeds the generator.

#include <QByteArray>
#include <QRandomGenerator>

inline QByteArray Mutate(QRandomGenerator& random, QByteArray bytes, int maxEdits = 6) {
    const int edits = random.bounded(1, maxEdits + 1);
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        const int at = random.bounded(int(bytes.size()));
        switch (random.bounded(4)) {
        case 0:
            bytes.truncate(at);
            break;
        case 1:
            bytes[at] = char(random.bounded(256));
            break;
        case 2:
            bytes.insert(at, bytes.mid(random.bounded(int(bytes.size())), 16));
            break;
        default:
            bytes.remove(at, random.bounded(1, 10));
            break;
        }
    }
    return bytes;
}
