#pragma once

// What is on a card: each recording with its times, pictures and events, and what the scan found
// damaged or unreadable and why, with the message the viewer shows for it.

#include <string>
#include <vector>

namespace tavrin::exporter {

class Card;
struct RecordingSummary;

// One thing wrong with a recording.
struct Damage {
    std::string kind;  // "cut-off", "missing-end-marker", ...
    int count = 0;
    long long firstOffset = -1;  // byte offset in the archive, -1 when none applies
    std::string description;     // English, one sentence
    std::string viewerMessage;   // what the viewer shows, empty when it plays on without a word
};

std::vector<Damage> damageOf(const RecordingSummary& recording);

// The report as a table for people and as JSON for tools.
std::string reportTable(const Card& card);
std::string reportJson(const Card& card);

}  // namespace tavrin::exporter
