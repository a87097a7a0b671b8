#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tmq {

// How the import's reading joined what it read: for every lesson sent, the
// SOLUC row, its slot and the rows of its partners; for every teacher, the
// PROFT row; and what did not pass. The result needs none of it, so the
// reading keeps it only for a caller that asks, such as the timetable page.
struct ImportJoins {
    static constexpr int kNoRow = -1;

    // The lookup tables a SOLUC code is joined with.
    enum class Partner { Subject, Slot, Room, Group };

    struct Lesson {
        int soluc = kNoRow;
        int subject = kNoRow; // ASIGNOMT, the first row whose COD is the code
        int slot = kNoRow;    // DIASHORAST, by DIHO
        int room = kNoRow;    // AULAT, by ABREV
        int group = kNoRow;   // GRUPOST, by ABREV
        int hour = 0;         // HORA of SOLUC
        // The weekday of DIA, 0 for Monday to 6 for Sunday; -1 when its text
        // gives no weekday letter.
        std::int8_t weekday = -1;
    };

    struct Teacher {
        int proft = kNoRow;
        std::uint32_t firstLesson = 0;
        std::uint32_t lessonCount = 0;
    };

    // A SOLUC row with DIA 0, passed over for the teacher `teacher`.
    struct Unplaced {
        std::uint32_t teacher = 0;
        int soluc = kNoRow;
    };

    // A code of SOLUC its lookup table lacks; the lesson's value stays empty.
    struct Missing {
        std::uint32_t lesson = 0;
        Partner partner = Partner::Subject;
        std::string code; // Windows-1252, as SOLUC holds it (the slot's key as built)
    };

    std::vector<Teacher> teachers; // one per employee list, in order
    std::vector<Lesson> lessons;   // one per activity list, in order
    std::vector<Unplaced> unplaced;
    std::vector<Missing> missing;
    // The PROF codes of SOLUC that no teacher of PROFT has, with their rows.
    std::map<std::string, int> withoutTeacher;
};

// How a code joined with a partner is named, and where it is looked up.
struct PartnerNames {
    const char* withArticle; // "la asignatura"
    const char* noun;        // "Asignatura"
    const char* table;       // "ASIGNOMT"
    const char* key;         // "COD"
};

inline const PartnerNames& partnerNames(ImportJoins::Partner partner)
{
    static constexpr PartnerNames kNames[] = {
        {"la asignatura", "Asignatura", "ASIGNOMT", "COD"},
        {"el tramo", "Tramo", "DIASHORAST", "DIHO"},
        {"el aula", "Aula", "AULAT", "ABREV"},
        {"el grupo", "Grupo", "GRUPOST", "ABREV"},
    };
    return kNames[static_cast<int>(partner)];
}

} // namespace tmq
