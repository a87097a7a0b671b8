#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tmq::bench {

// How large a generated district is. Scale 1 gives a merged document of
// about 51 MB (about 170 000 catalogue items) and a SOLUC of 500 000 rows for
// 5 000 teachers; other scales grow both linearly.
struct DistrictSize {
    int schools = 0;       // each brings its own six catalogue lists
    int solucTeachers = 0; // teachers of the import's document
    int solucRows = 0;

    static DistrictSize forScale(double scale);
};

enum class DocumentEncoding { Utf8, Latin1 };

// Writes a merged-school exchange document: every school's catalogues as
// their own lists, with the irregularities real documents have (short items,
// repeated subject codes in other letter case, blank padding, empty levels,
// escaped characters, an input section the converter does not read). The
// same seed gives the same bytes. Returns the number of catalogue items.
long writeDistrictDocument(const std::filesystem::path& file, int schools,
                           DocumentEncoding encoding, std::uint64_t seed);

// The number of schools whose teachers add up to at least `teachers`.
int schoolsForTeachers(int teachers);

// Writes SOLUC.DBF into `folder`: `rows` lessons of the teachers of a
// document written for schoolsForTeachers(teachers) schools, with some free
// rows (DIA 0) and some codes no table knows. The same seed gives the same rows.
void writeSoluc(const std::filesystem::path& folder, int teachers, int rows, std::uint64_t seed);

} // namespace tmq::bench
