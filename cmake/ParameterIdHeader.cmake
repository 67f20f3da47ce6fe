# Writes the C++ header of one description's ids: one enum holding every parameter's symbol
# and id and, after each choice parameter, its options' symbols and values, in file order.
# The host reads the same description file, so the ids the plug-in compiles against and the
# ids the host loads cannot disagree. Run at build time:
#
#   cmake -DDESCRIPTION=plugin/res/descriptions/<name>.json -DHEADER=<dir>/<name>.h
#         -P cmake/ParameterIdHeader.cmake
#
# Only what the header needs is checked here (symbols that are identifiers, ids that are
# 32-bit integers); the host's loader checks the rest when the plug-in's tests load res/.
# The header is rewritten only when its content changes, so a new label recompiles nothing.
cmake_minimum_required(VERSION 3.25)

file(READ "${DESCRIPTION}" json)
get_filename_component(name "${DESCRIPTION}" NAME_WE)

# The fault on one line, as the host's loader words it, then the failure itself.
function(fail where message)
    message(NOTICE "${DESCRIPTION}: ${where}: ${message}")
    message(FATAL_ERROR "the id header ${HEADER} was not written")
endfunction()

# Sets `out` to the member at the JSON path given as the remaining arguments, which must be
# of JSON type `type` (STRING, NUMBER); `where` names that path in messages.
function(json_get out type where)
    string(JSON found ERROR_VARIABLE error TYPE "${json}" ${ARGN})
    if(error)
        fail("${where}" "missing or unreadable (${error})")
    endif()
    if(NOT found STREQUAL type)
        fail("${where}" "expected a ${type}, found a ${found}")
    endif()
    string(JSON value GET "${json}" ${ARGN})
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Appends "    SYMBOL = VALUE," for the entry at the JSON path in the remaining arguments,
# whose symbol is at key "symbol" and whose number at key `number_key`.
function(add_constant where number_key)
    json_get(symbol STRING "${where}.symbol" ${ARGN} symbol)
    json_get(number NUMBER "${where}.${number_key}" ${ARGN} ${number_key})
    if(NOT symbol MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
        fail("${where}.symbol" "'${symbol}' is not a symbol (letters, digits and _)")
    endif()
    if(NOT number MATCHES "^-?[0-9]+$" OR number GREATER 2147483647 OR number LESS -2147483648)
        fail("${where}.${number_key}" "'${number}' is not a whole number within 32 bits")
    endif()
    set(lines "${lines}    ${symbol} = ${number},\n" PARENT_SCOPE)
endfunction()

set(lines "")
string(JSON count ERROR_VARIABLE error LENGTH "${json}" parameters)
if(error)
    set(count 0) # no parameters: an empty enum
endif()
if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        add_constant("parameters[${i}]" id parameters ${i})
        string(JSON options ERROR_VARIABLE error LENGTH "${json}" parameters ${i} options)
        if(NOT error AND options GREATER 0)
            math(EXPR last_option "${options} - 1")
            foreach(j RANGE ${last_option})
                add_constant("parameters[${i}].options[${j}]" value parameters ${i} options ${j})
            endforeach()
        endif()
    endforeach()
endif()

string(TOUPPER "${name}" guard)
file(CONFIGURE OUTPUT "${HEADER}" @ONLY CONTENT
"// The ids of the description \"@name@\": every parameter's symbol and id, and after a
// choice parameter the values of its options. Generated at build time from
// plugin/res/descriptions/@name@.json; edit that file, not this one.
#ifndef VANTRI_PARAMETER_IDS_@guard@_H
#define VANTRI_PARAMETER_IDS_@guard@_H

enum {
@lines@};

#endif // VANTRI_PARAMETER_IDS_@guard@_H
")
