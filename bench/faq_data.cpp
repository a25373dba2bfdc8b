#include "faq_data.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace faq_data {
namespace {

// No word holds half_word or none_word, and no separator is a letter, so LIKE '%valve%' matches
// exactly where half_word was placed and LIKE '%zeolite%' matches nothing.
constexpr std::array<std::string_view, 96> vocabulary = {
    "pump",     "tubing",      "flow",      "calibration", "reagent",  "cartridge", "sample",   "probe",
    "needle",   "cuvette",     "lamp",      "detector",    "filter",   "incubator", "rotor",    "mixer",
    "barcode",  "reader",      "printer",   "report",      "firmware", "update",    "backup",   "network",
    "pressure", "vacuum",      "priming",   "wash",        "solution", "container", "level",    "sensor",
    "alarm",    "error",       "warning",   "temperature", "humidity", "cooling",   "heater",   "fan",
    "bearing",  "motor",       "belt",      "gear",        "spring",   "seal",      "gasket",   "tube",
    "syringe",  "piston",      "chamber",   "optics",      "lens",     "mirror",    "signal",   "noise",
    "drift",    "offset",      "gain",      "blank",       "control",  "serum",     "plasma",   "urine",
    "glucose",  "cholesterol", "sodium",    "potassium",   "chloride", "lactate",   "result",   "limit",
    "range",    "interval",    "service",   "maintenance", "cleaning", "daily",     "weekly",   "monthly",
    "operator", "software",    "interface", "host",        "port",     "cable",     "power",    "supply",
    "voltage",  "fuse",        "board",     "memory",      "display",  "screen",    "keyboard", "after"};

constexpr std::array<std::string_view, 16> products = {
    "Zelba Quintra 400",   "Hematology HT-550",  "Glucose GLU-2",   "Coagulation KV-600",
    "Sample Loader SL-20", "Labrova 3",          "Fotometar FM-12", "Elektrolit EL-3",
    "Urine Strip US-7",    "Immuno IA-900",      "Centrifuge CF-4", "Blood Gas BG-2",
    "Chemistry CH-300",    "Cholesterol CHOL-2", "Control Level 2", "Printer PR-80"};

// splitmix64: a small generator whose sequence is fixed by its seed on every platform.
class generator {
public:
    explicit generator(std::uint64_t seed) : state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }

private:
    std::uint64_t state;
};

std::uint64_t seed_of(int rbr) { return 0x7A52'0000'0000ULL + static_cast<std::uint64_t>(rbr); }

std::string_view word(generator& random) { return vocabulary[random.below(vocabulary.size())]; }

// Words joined by the separator until the text reaches the length.
std::string words(generator& random, std::size_t length, std::string_view separator)
{
    std::string text;
    text.reserve(length + 16);
    while (text.size() < length) {
        if (!text.empty())
            text += separator;
        text += word(random);
    }
    return text;
}

// The answer: sentences of eight to fourteen words, the first word capitalised.
std::string answer(generator& random, std::size_t length)
{
    std::string text;
    text.reserve(length + 120);
    while (text.size() < length) {
        if (!text.empty())
            text += ' ';
        const std::size_t count = 8 + random.below(7);
        const std::size_t start = text.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0)
                text += ' ';
            text += word(random);
        }
        text[start] = static_cast<char>(text[start] - 'a' + 'A');
        text += '.';
    }
    return text;
}

} // namespace

bool has_half_word(int rbr)
{
    generator random(seed_of(rbr) ^ 0x5555ULL);
    return (random.next() >> 17) % 2 == 0;
}

int half_word_count(int rows)
{
    int count = 0;
    for (int rbr = 1; rbr <= rows; ++rbr)
        count += has_half_word(rbr) ? 1 : 0;
    return count;
}

entry make_entry(int rbr)
{
    generator random(seed_of(rbr));
    entry made;
    made.rbr = rbr;
    made.adresa = words(random, 36, ", ");

    // The question: lower-case words; half_word never comes first, so no capital letter hides it
    // from a case-sensitive LIKE.
    made.pitanje = words(random, 92, " ");
    if (has_half_word(rbr)) {
        const std::size_t blank = made.pitanje.find(' ', 10 + random.below(60));
        made.pitanje.insert(blank == std::string::npos ? made.pitanje.size() : blank, std::string(" ") + half_word);
    }
    made.pitanje += '?';

    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", static_cast<int>(1 + random.below(12)),
                  static_cast<int>(1 + random.below(28)), static_cast<int>(2000 + random.below(25)));
    made.datum = date;
    made.proizvod = products[random.below(products.size())];

    char lot[24];
    std::snprintf(lot, sizeof lot, "LT-%04d-%03d", static_cast<int>(2000 + random.below(25)),
                  static_cast<int>(random.below(1000)));
    made.lot = lot;
    made.odgovor = answer(random, 990);
    return made;
}

} // namespace faq_data
