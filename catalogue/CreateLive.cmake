# cmake -DSEED=<shipped catalogue> -DLIVE=<user's catalogue> -P CreateLive.cmake
# Makes the user's catalogue from the shipped one when it does not exist, and
# never touches it when it does.
if(NOT EXISTS "${LIVE}")
    file(COPY_FILE "${SEED}" "${LIVE}.new")
    # NO_REPLACE links the new name and may leave the old one: remove it either way.
    file(RENAME "${LIVE}.new" "${LIVE}" NO_REPLACE RESULT refused)
    file(REMOVE "${LIVE}.new")
    if(NOT refused)
        message(STATUS "Made the catalogue ${LIVE} from ${SEED}")
    endif()
endif()
