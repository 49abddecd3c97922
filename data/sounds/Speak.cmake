# Speaks TEXT with espeak-ng's VOICE into OUT: 16-bit PCM at 22050 Hz, mono, silence trimmed off both ends so a
# prompt comes on time, and the level brought to 1 dB below full scale. With a CACHE folder, a sound another build
# tree already spoke with the same voice, words and recipe is copied from there instead of spoken again.
if(CACHE)
    file(SHA1 ${CMAKE_CURRENT_LIST_FILE} recipe)
    string(SHA1 key "${recipe}\n${VOICE}\n${TEXT}")
    set(cached ${CACHE}/${key}.wav)
    if(EXISTS ${cached})
        file(COPY_FILE ${cached} ${OUT}.part.wav)
        file(RENAME ${OUT}.part.wav ${OUT})
        return()
    endif()
endif()
execute_process(COMMAND ${ESPEAK} -v ${VOICE} -s 150 -w ${OUT}.spoken.wav ${TEXT} RESULT_VARIABLE spoken)
if(NOT spoken EQUAL 0)
    message(FATAL_ERROR "espeak-ng could not speak \"${TEXT}\" with the voice ${VOICE}")
endif()
execute_process(COMMAND ${SOX} ${OUT}.spoken.wav -b 16 -e signed-integer -c 1 -r 22050 ${OUT}.part.wav
                        silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse gain -n -1
                RESULT_VARIABLE trimmed)
file(REMOVE ${OUT}.spoken.wav)
if(NOT trimmed EQUAL 0)
    message(FATAL_ERROR "sox could not trim ${OUT}")
endif()
if(CACHE)
    # Two builds may speak the same sound at once: each writes its own copy and renames it into place whole.
    file(MAKE_DIRECTORY ${CACHE})
    string(RANDOM LENGTH 12 tag)
    file(COPY_FILE ${OUT}.part.wav ${cached}.${tag})
    file(RENAME ${cached}.${tag} ${cached})
endif()
file(RENAME ${OUT}.part.wav ${OUT})
