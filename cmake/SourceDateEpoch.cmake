# The date the packages stamp on their files, in seconds since 1970: the
# caller's SOURCE_DATE_EPOCH when set, else the time of the last commit, else
# the date of the newest release in NOVEDADES.md. So the same commit gives
# the same bytes, however often and wherever it is built. Included by the
# build and, at packaging time, by cpack.

function(tmq_source_date_epoch source_dir out)
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(epoch STREQUAL "")
    find_program(TMQ_GIT git)
    if(TMQ_GIT AND EXISTS "${source_dir}/.git")
      execute_process(COMMAND ${TMQ_GIT} -C "${source_dir}" log -1 --format=%ct
                      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                      RESULT_VARIABLE failed ERROR_QUIET)
      if(failed)
        set(epoch "")
      endif()
    endif()
  endif()
  if(epoch STREQUAL "")
    file(STRINGS "${source_dir}/NOVEDADES.md" releases REGEX "^## [^ ]+ \\([0-9-]+\\)")
    list(GET releases 0 newest)
    string(REGEX REPLACE ".*\\(([0-9-]+)\\).*" "\\1" day "${newest}")
    execute_process(COMMAND date -u -d "${day}" +%s
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH no es un número de segundos: '${epoch}'")
  endif()
  set(${out} "${epoch}" PARENT_SCOPE)
endfunction()
