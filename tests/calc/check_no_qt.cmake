# Fails when any file of the engine includes or names a Qt header or type.
file(GLOB files ${DIR}/*)
foreach(f IN LISTS files)
    file(STRINGS ${f} hits REGEX "#[ \t]*include[ \t]*<Q|Qt[A-Z][A-Za-z]*/|\\bQ_[A-Z]+|QString|QObject")
    if(hits)
        message(FATAL_ERROR "${f} uses Qt: ${hits}")
    endif()
endforeach()
