# cmake -DSOURCE=... -DDESTINATION=... -P CopyIfMissing.cmake
# Puts the sample settings beside the program, but never over the user's own.
if(NOT EXISTS "${DESTINATION}")
    file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
