# Read by cpack before it packs: SOURCE_DATE_EPOCH, which CPack's DEB
# generator takes for every file's date and the archives' own headers, set to
# the last commit's time unless the caller set it.
include(${CPACK_TMQ_SOURCE_DIR}/cmake/SourceDateEpoch.cmake)
tmq_source_date_epoch(${CPACK_TMQ_SOURCE_DIR} tmq_epoch)
set(ENV{SOURCE_DATE_EPOCH} ${tmq_epoch})
