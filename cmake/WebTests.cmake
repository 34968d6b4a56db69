# End-to-end tests of the web page in a real headless Chromium, driven through
# chromedriver with Selenium (label e2e). Where the browser, the driver or Python's
# Selenium is missing, one test says so and fails: this layer is never skipped quietly.
enable_testing()

set(BRAWLEX_WEB_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e/web)

# A Python 3 that has Selenium (the first python3 on the PATH may be another one).
function(brawlex_python_has_selenium result candidate)
    execute_process(COMMAND ${candidate} -c "import selenium"
        RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    if(NOT status EQUAL 0)
        set(${result} FALSE PARENT_SCOPE)
    endif()
endfunction()
find_program(BRAWLEX_WEB_PYTHON NAMES python3 PATHS /usr/bin NO_CACHE
    VALIDATOR brawlex_python_has_selenium)
find_program(BRAWLEX_CHROMIUM NAMES chromium chromium-browser NO_CACHE)
find_program(BRAWLEX_CHROMEDRIVER NAMES chromedriver PATHS /usr/bin /usr/lib/chromium NO_CACHE)

if(NOT BRAWLEX_WEB_PYTHON OR NOT BRAWLEX_CHROMIUM OR NOT BRAWLEX_CHROMEDRIVER)
    # A test that fails, named for what is missing.
    message(WARNING "The browser tests need chromium, chromium-driver and python3-selenium "
        "(scripts/install-deps installs them).")
    add_test(NAME e2e_web_needs_chromium_chromedriver_and_python3_selenium
        COMMAND ${CMAKE_COMMAND} -E false)
    set_tests_properties(e2e_web_needs_chromium_chromedriver_and_python3_selenium
        PROPERTIES LABELS e2e)
    return()
endif()

set(web_e2e_environment
    BRAWLEX_SITE_DIR=${BRAWLEX_SITE_DIR}
    BRAWLEX_CHROMIUM=${BRAWLEX_CHROMIUM}
    BRAWLEX_CHROMEDRIVER=${BRAWLEX_CHROMEDRIVER}
    PYTHONDONTWRITEBYTECODE=1)

# One test per file. They run one at a time: a browser on a busy machine would
# disturb another test's frame rate.
file(GLOB web_e2e_tests CONFIGURE_DEPENDS ${BRAWLEX_WEB_E2E_DIR}/test_*.py)
foreach(test_file IN LISTS web_e2e_tests)
    get_filename_component(test_module ${test_file} NAME_WE)
    string(REGEX REPLACE "^test_web_" "e2e_web_" test_name ${test_module})
    add_test(NAME ${test_name}
        COMMAND ${BRAWLEX_WEB_PYTHON} -m unittest -v ${test_module}
        WORKING_DIRECTORY ${BRAWLEX_WEB_E2E_DIR})
    set_tests_properties(${test_name} PROPERTIES
        LABELS e2e
        RESOURCE_LOCK browser
        RUN_SERIAL TRUE
        TIMEOUT 600
        ENVIRONMENT "${web_e2e_environment}")
endforeach()
