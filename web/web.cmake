# The web build, included by the top-level CMakeLists.txt under Emscripten (Debian's
# emscripten package; scripts/web.sh configures it). The model, the readers, the scene and
# its GL drawing are the desktop's own libraries. What differs: the platform layer
# (platform/web.cpp and web_library.js), GL and GLUT from Emscripten's emulation, NCL built
# here for wasm and linked in (a page has no dlopen), the font baked by a host build, and
# the page's program and files (web/). Of the tests, the model and reader tests are built,
# and ctest runs them under node.

set(QM_NCL_SOURCE "${CMAKE_BINARY_DIR}/ncl-src" CACHE PATH
    "NCL's source tree (scripts/web.sh fetches Debian's source package into it)")
if(NOT EXISTS "${QM_NCL_SOURCE}/ncl/nxsreader.cpp")
    message(FATAL_ERROR "No NCL source in ${QM_NCL_SOURCE}: scripts/web.sh fetches it.")
endif()

# emcc's optimising link step needs node's acorn, which Debian installs for node apart.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# C++ exceptions cross the program (the font layer's messages, NCL's errors, the guard).
# Link-time optimisation, across the program and NCL as one, makes the wasm a fifth
# smaller (55 KB gzipped), which leaves the site room for the font's page files.
add_compile_options(-fexceptions -flto)
add_link_options(-fexceptions -flto -sALLOW_MEMORY_GROWTH=1)

# GL and GLUT: Emscripten's fixed-function emulation over WebGL 1, and its GLUT with the
# freeglut header the program includes (platform/web_glut) and web_library.js in front.
add_library(OpenGL::GL INTERFACE IMPORTED)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_LINK_OPTIONS "-sLEGACY_GL_EMULATION=1")
add_library(GLUT::GLUT INTERFACE IMPORTED)
set_target_properties(GLUT::GLUT PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/platform/web_glut)

# NCL for wasm, built once in this build folder. A failed check of the library throws
# (ASSERTS_TO_EXCEPTIONS) rather than ending the page. The desktop reader module replaces
# the library's ncl_assertion_failed through the dynamic symbol table; linked statically,
# the library's own definition is renamed out of the way, so the other NCL files reach
# the reader's (nexus/nexus_reader.cpp), and only nxsblock.cpp's own checks the renamed
# one, which throws as well.
file(GLOB ncl_sources "${QM_NCL_SOURCE}/ncl/*.cpp")
add_library(ncl STATIC ${ncl_sources})
target_include_directories(ncl SYSTEM PUBLIC ${QM_NCL_SOURCE})
target_compile_definitions(ncl PRIVATE ASSERTS_TO_EXCEPTIONS NCL_CONST_FUNCS=1)
target_compile_options(ncl PRIVATE -w)
set_source_files_properties("${QM_NCL_SOURCE}/ncl/nxsblock.cpp" PROPERTIES
    COMPILE_DEFINITIONS ncl_assertion_failed=ncl_library_assertion_failed)
set(NCL_INCLUDE_DIR ${QM_NCL_SOURCE})
set(NCL_LIBRARY ncl)

foreach(dir base matrix nexus clade platform font display app)
    add_subdirectory(${dir})
endforeach()
# The desktop program's main is not the page's.
set_target_properties(quillmoor PROPERTIES EXCLUDE_FROM_ALL TRUE)
add_subdirectory(web)

# GoogleTest is built from Debian's source of it (libgtest-dev), which scripts/web.sh test
# installs; a build of the page alone does without.
if(QM_TESTS AND NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(STATUS "No /usr/src/googletest (libgtest-dev): the tests are left out")
elseif(QM_TESTS)
    enable_testing()
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Under node, on the page's in-memory file system with the source folder mounted
    # (tests/support/node_files.js); the wasm loads synchronously, as node's own fetch
    # takes no file paths.
    file(WRITE ${CMAKE_BINARY_DIR}/node_folders.js
         "Module['nodeFolders'] = ['${PROJECT_SOURCE_DIR}'];\n")
    add_link_options(-sEXIT_RUNTIME=1 -sWASM_ASYNC_COMPILATION=0 -lnodefs.js
                     "SHELL:--pre-js ${CMAKE_BINARY_DIR}/node_folders.js"
                     "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/tests/support/node_files.js")
    add_subdirectory(tests)
    target_sources(nexus_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/linked_reader.cpp)
    target_link_libraries(nexus_test PRIVATE quillmoor_nexus)

    add_test(NAME site_size
             COMMAND node ${PROJECT_SOURCE_DIR}/tests/web/site_size.js ${CMAKE_BINARY_DIR}/site)

    # The page in headless Chromium against the desktop program of a desktop build
    # (scripts/web.sh test names it), with playwright-core from npm in this build folder.
    set(QM_DESKTOP_PROGRAM "" CACHE FILEPATH "The desktop quillmoor the browser test compares with")
    if(QM_DESKTOP_PROGRAM)
        add_test(NAME browser
                 COMMAND node ${PROJECT_SOURCE_DIR}/tests/web/browser_test.js
                         ${CMAKE_BINARY_DIR}/site ${QM_DESKTOP_PROGRAM})
        set_tests_properties(browser PROPERTIES LABELS gui TIMEOUT 300
            ENVIRONMENT "NODE_PATH=${CMAKE_BINARY_DIR}/node_modules;PYTHONDONTWRITEBYTECODE=1")
    endif()
endif()
