# Speaks TEXT with espeak-ng's VOICE into OUT: 16-bit PCM at 22050 Hz, mono, silence trimmed off both ends so a
# prompt comes on time, and the level brought to 1 dB below full scale.
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
file(RENAME ${OUT}.part.wav ${OUT})
