# Build-time mends of the generated serialisers (soapC.cpp), run right after
# soapcpp2.  Each mend names the exact text it replaces and stops the build
# when that text is missing, so that a toolkit whose output looks different
# cannot slip through unmended.
#
#   cmake -DDIR=<directory of the generated files> -P mend_generated.cmake

set(FILE "${DIR}/soapC.cpp")
set(STUB "${DIR}/soapStub.h")
set(CLIENT "${DIR}/soapClient.cpp")
if(NOT EXISTS "${FILE}" OR NOT EXISTS "${STUB}" OR NOT EXISTS "${CLIENT}")
  message(FATAL_ERROR "mend_generated: generated files missing in '${DIR}'")
endif()
file(READ "${FILE}" _src)
file(READ "${STUB}" _stub)
file(READ "${CLIENT}" _client)

# Number of times NEEDLE occurs in TEXT (list functions would split the
# generated code at its semicolons).
function(count_occurrences text needle out)
  string(LENGTH "${needle}" _len)
  set(_n 0)
  string(FIND "${text}" "${needle}" _at)
  while(NOT _at EQUAL -1)
    math(EXPR _n "${_n} + 1")
    math(EXPR _at "${_at} + ${_len}")
    string(SUBSTRING "${text}" ${_at} -1 text)
    string(FIND "${text}" "${needle}" _at)
  endwhile()
  set(${out} ${_n} PARENT_SCOPE)
endfunction()

# 1. Enumerations and xsd:boolean.  The generated text-to-value functions
#    reject an empty element and any number outside the declared codes, in
#    every mode.  The service sends numbers that name no value (a state colour
#    7, a boolean 2) and empty elements; those must not fail a whole list.
#    qor_enum_number decides: empty keeps the value, any decimal number is
#    taken outside strict mode.
set(_enum_re "\telse if \\(!\\*s\\)\n\t\treturn soap->error = SOAP_EMPTY;\n\telse\n\t{\t(int|long) n;\n\t\tif \\(soap_s2(int|long)\\(soap, s, &n\\)[^\n]*\n\t\t\treturn soap->error = SOAP_TYPE;\n(\t\t\\*a = [^\n]*\n)\t}")
count_occurrences("${_src}" "static const struct soap_code_map soap_codes_" _map_count)
string(REGEX REPLACE "${_enum_re}"
  "\telse\n\t{\tlong n;\n\t\tbool present;\n\t\tif (qor_enum_number(soap, s, &n, &present))\n\t\t\treturn soap->error;\n\t\tif (present)\n\\3\t}"
  _src "${_src}")
count_occurrences("${_src}" "if (qor_enum_number(soap, s, &n, &present))" _enum_count)
count_occurrences("${_src}" "return soap->error = SOAP_EMPTY;" _left)
if(_enum_count EQUAL 0 OR NOT _enum_count EQUAL _map_count OR NOT _left EQUAL 0)
  message(FATAL_ERROR "mend_generated: expected one enumeration reader per code map "
                      "(${_map_count}), mended ${_enum_count}, ${_left} left; the soapcpp2 output changed")
endif()

# 2. Arrays read by collecting their items (the literal form, without a
#    declared size) stop at the runtime's default of 100000 items.  Long
#    lists (log entries, locks) must be read whole: qor_too_many_items raises
#    the context's limit to the items already collected (the runtime checks it
#    again when it allocates the item array); the item count is an int, so
#    that is the only bound.
set(_occurs "\t\t\t\tif ((size_t)a->__size > soap->maxoccurs)\n")
string(FIND "${_src}" "${_occurs}" _pos)
if(_pos EQUAL -1)
  message(FATAL_ERROR "mend_generated: the item-count check of collected arrays was not found; "
                      "the soapcpp2 output changed")
endif()
string(REPLACE "${_occurs}" "\t\t\t\tif (qor_too_many_items(soap, a->__size))\n" _src "${_src}")

# 3. The enumerations hold any 32-bit number that arrives (point 1), so each
#    gets int as its fixed underlying type; without it a number outside the
#    declared codes would not be a valid value of the enum.
string(REGEX REPLACE "\n(enum QORControl__[A-Za-z0-9_]+) {\n" "\n\\1 : int {\n" _stub "${_stub}")
count_occurrences("${_stub}" " : int {\n" _fixed)
if(NOT _fixed EQUAL 9)
  message(FATAL_ERROR "mend_generated: expected 9 enumerations in soapStub.h, gave ${_fixed} an int base; "
                      "the soapcpp2 output changed")
endif()

# 4. A response body whose element is neither the expected response nor a
#    SOAP Fault must end the call with SOAP_TAG_MISMATCH and the fault code
#    Client; the runtime's fault reader would report the HTTP status instead
#    (200 for a well-formed reply).  qor_recv_fault handles that case and
#    leaves every other one to the runtime.
count_occurrences("${_client}" "\nSOAP_FMAC5 int SOAP_FMAC6 soap_call_QORControl__" _calls)
count_occurrences("${_client}" "\t\treturn soap_recv_fault(soap, 0);\n" _faults)
if(_calls EQUAL 0 OR NOT _faults EQUAL _calls)
  message(FATAL_ERROR "mend_generated: expected one fault read per client call (${_calls}), "
                      "found ${_faults}; the soapcpp2 output changed")
endif()
string(REPLACE "\t\treturn soap_recv_fault(soap, 0);\n" "\t\treturn qor_recv_fault(soap);\n" _client "${_client}")

#    A fault whose content the readers refuse (a reference that names no
#    character, say) ended the call with the HTTP status, which the
#    runtime's soap_recv_fault reports for any fault it cannot read; the
#    fault reader hands its result to qor_fault_read, which stores it as the
#    runtime did and keeps the error, or the fault that a step of the read
#    stated (the transport's refusal of the reply), for qor_recv_fault to
#    report.
set(_getfault "\treturn (soap->fault = soap_get_SOAP_ENV__Fault(soap, NULL, \"SOAP-ENV:Fault\", NULL)) == NULL;\n")
count_occurrences("${_src}" "${_getfault}" _getfaults)
if(NOT _getfaults EQUAL 1)
  message(FATAL_ERROR "mend_generated: expected one fault reader, found ${_getfaults}; "
                      "the soapcpp2 output changed")
endif()
string(REPLACE "${_getfault}"
  "\treturn qor_fault_read(soap, soap_get_SOAP_ENV__Fault(soap, NULL, \"SOAP-ENV:Fault\", NULL));\n"
  _src "${_src}")

# 5. The literal text of a fault's detail: the runtime's reader takes one
#    element, so a detail of several elements would lose all but the first.
#    qor_detail_literal appends every further element to the same text.
set(_detail_any "\t\t\tif (soap_flag___any && (soap->error == SOAP_TAG_MISMATCH || soap->error == SOAP_NO_TAG))\n\t\t\t{\tif (soap_inliteral(soap, \"-any\", (char**)&a->__any))\n\t\t\t\t{\tsoap_flag___any--;\n")
count_occurrences("${_src}" "${_detail_any}" _details)
if(NOT _details EQUAL 1)
  message(FATAL_ERROR "mend_generated: expected one literal detail reader, found ${_details}; "
                      "the soapcpp2 output changed")
endif()
string(REPLACE "${_detail_any}"
  "\t\t\tif (soap->error == SOAP_TAG_MISMATCH || soap->error == SOAP_NO_TAG)\n\t\t\t{\tif (qor_detail_literal(soap, (char**)&a->__any))\n\t\t\t\t{\t(void)soap_flag___any;\n"
  _src "${_src}")
#    The detail's text begins at its next child element: what comes before
#    it (blanks, character data, comments, instructions, CDATA sections) is
#    passed over by qor_detail_skip, read as soap_get reads it;
#    the runtime's element reader took the start of a CDATA section for
#    markup and its content for the next characters, and the literal text
#    that followed ran past the detail's end.  qor_detail_literal reads the
#    markup of the text as soap_get reads it everywhere else (the runtime's
#    literal reader ended "<!--->" and "<?>" at their ">", which the reply
#    bounds, following soap_get, took for part of the markup).
set(_detail_loop "\t\tfor (;;)\n\t\t{\tsoap->error = SOAP_TAG_MISMATCH;\n\t\t\tif (soap_flag_fault && soap->error == SOAP_TAG_MISMATCH)\n\t\t\t{\tif ((a->fault = soap_getelement(soap, \"fault\", &a->__type)))\n")
count_occurrences("${_src}" "${_detail_loop}" _detail_loops)
if(NOT _detail_loops EQUAL 1)
  message(FATAL_ERROR "mend_generated: expected one detail element loop, found ${_detail_loops}; "
                      "the soapcpp2 output changed")
endif()
string(REPLACE "${_detail_loop}"
  "\t\tfor (;;)\n\t\t{\tif (qor_detail_skip(soap) < 0)\n\t\t\t\treturn NULL;\n\t\t\tsoap->error = SOAP_TAG_MISMATCH;\n\t\t\tif (soap_flag_fault && soap->error == SOAP_TAG_MISMATCH)\n\t\t\t{\tif ((a->fault = soap_getelement(soap, \"fault\", &a->__type)))\n"
  _src "${_src}")

# 6. Text elements: <name></name> is the empty string, but <name/> holds no
#    text at all and is read as an absent (null) string, which the printers
#    leave out; the runtime would give the empty string for both.  The three
#    string readers (string, xsd__string, QName) go through qor_instring.
count_occurrences("${_src}" "\ta = soap_instring(soap, tag, a, type, SOAP_TYPE_" _strings)
if(NOT _strings EQUAL 3)
  message(FATAL_ERROR "mend_generated: expected 3 string readers, found ${_strings}; "
                      "the soapcpp2 output changed")
endif()
string(REPLACE "\ta = soap_instring(soap, tag, a, type, SOAP_TYPE_" "\ta = qor_instring(soap, tag, a, type, SOAP_TYPE_"
  _src "${_src}")

# 7. Text elements written by the client: an empty string goes out as
#    <name></name> (the runtime writes <name/>, which a peer reads as no
#    string at all), and a line feed as "&#xA;" like the carriage return.
#    The three string writers (string, xsd__string, QName) go through
#    qor_outstring.
count_occurrences("${_src}" "\treturn soap_outstring(soap, tag, id, a, type, SOAP_TYPE_" _writers)
if(NOT _writers EQUAL 3)
  message(FATAL_ERROR "mend_generated: expected 3 string writers, found ${_writers}; "
                      "the soapcpp2 output changed")
endif()
string(REPLACE "\treturn soap_outstring(soap, tag, id, a, type, SOAP_TYPE_"
  "\treturn qor_outstring(soap, tag, id, a, type, SOAP_TYPE_" _src "${_src}")

# 8. Members are read with the empty type name: a number, boolean or text
#    member is read whatever xsi:type its element declares
#    (<pid xsi:type="xsd:long">42</pid> reads 42).  The generated member
#    reads name the member's own XML type, which the integer, double and
#    boolean readers compare with the element's xsi:type.  The items of an
#    array of ints are read the same way.  Enumerations keep their schema
#    type name, and the generic readers (no literal element name) keep
#    theirs.
set(_member_re "(soap_in_(int|LONG64|double|bool|string|PointerToint|PointerToLONG64|PointerTodouble|PointerTostring)\\(soap, \"[^\"\n]+\", [^,\n]+), \"xsd:[A-Za-z]+\"\\)")
string(REGEX MATCHALL "${_member_re}" _typed "${_src}")
list(LENGTH _typed _members)
string(REGEX REPLACE "${_member_re}" "\\1, \"\")" _src "${_src}")
set(_int_item_re "soap_in_int\\(soap, NULL, (p|a->__ptr \\+ i), \"xsd:int\"\\)")
string(REGEX MATCHALL "${_int_item_re}" _int_items "${_src}")
list(LENGTH _int_items _int_item_reads)
string(REGEX REPLACE "${_int_item_re}" "soap_in_int(soap, NULL, \\1, \"\")" _src "${_src}")
if(_members EQUAL 0 OR NOT _int_item_reads EQUAL 2)
  message(FATAL_ERROR "mend_generated: expected typed member reads (found ${_members}) "
                      "and two int item reads (found ${_int_item_reads}); the soapcpp2 output changed")
endif()

# 9. Arrays that declare their size (SOAP-ENC:arrayType "T[n]", or arraySize)
#    and an offset: QorDeclaredArray::declare takes the size less the offset.
#    A dimension that is no number or is negative, a size above 100000, or an
#    offset beyond the size declares nothing, and the items are then
#    collected as they come; the runtime would read such an array as empty
#    or fail it.
set(_declared "\t\tif (*soap->arraySize)\n\t\t{\n\t\t\tsoap_getsizes(soap->arraySize, &a->__size, 1);\n\t\t\ta->__size -= j = soap_getoffsets(soap->arrayOffset, &a->__size, NULL, 1);\n\t\t\tif ((size_t)a->__size > soap->maxoccurs)\n\t\t\t{\tsoap->error = SOAP_OCCURS;\n\t\t\t\treturn NULL;\n\t\t\t}\n")
count_occurrences("${_src}" "${_declared}" _declared_count)
count_occurrences("${_src}" "if (*soap->arraySize)" _size_tests)

# 10. Each item of such an array goes where QorDeclaredArray::place says: the
#     slot its position names in every dimension, or the one after the item
#     before.  The loop ends, as the generated one does, when the slot after
#     the item before is beyond the last; an item still there, and one for a
#     slot already filled, fail the read with the end-tag error
#     (SOAP_END_TAG, "closing tag expected"), not silently dropped or read
#     over another.  The generated loop took the first index of a position
#     only and went back to any slot it named, and the runtime's
#     soap_element_end_in skips the items left outside strict mode.
set(_declared_loop "\t\t\tfor (i = 0; i < a->__size; i++)\n\t\t\t{\tsoap_peek_element(soap);\n\t\t\t\tif (soap->position)\n\t\t\t\t{\ti = soap->positions[0]-j;\n\t\t\t\t\tif (i < 0 || i >= a->__size)\n\t\t\t\t\t{\tsoap->error = SOAP_IOB;\n\t\t\t\t\t\treturn NULL;\n\t\t\t\t\t}\n\t\t\t\t}\n")
count_occurrences("${_src}" "${_declared_loop}" _declared_loops)
if(_declared_count EQUAL 0 OR NOT _declared_count EQUAL _size_tests OR NOT _declared_loops EQUAL _declared_count)
  message(FATAL_ERROR "mend_generated: expected one declared-size reader per array (${_size_tests}), "
                      "found ${_declared_count} with ${_declared_loops} item loops; the soapcpp2 output changed")
endif()
string(REPLACE "${_declared}"
  "\t\tQorDeclaredArray qor_slots(soap);\n\t\tif (qor_slots.declare(&a->__size, &j))\n\t\t{\n" _src "${_src}")
string(REPLACE "${_declared_loop}" "\t\t\tfor (i = 0; qor_slots.place(&i); i++)\n\t\t\t{\n" _src "${_src}")

# 11. Arrays read by collecting their items save them through qor_save_items
#     and qor_save_block, which move the ids and references registered inside
#     the items along in one pass for the whole array; the runtime's save
#     walks its whole id table once per item, which makes a long list slow
#     and a list whose items carry ids quadratic.  Record items are collected
#     many to a block (qor_push_item, qor_pop_item), not one allocation each.
#     An item taken back (qor_pop_item, qor_pop_block) drops the
#     registrations made in it before its memory is freed, and a failed read
#     saves nothing: its blocks are freed with the registrations in them
#     dropped, and the array is left empty.  The runtime kept an item's
#     reference chain after freeing the item, and its save walked that chain
#     through freed memory.
count_occurrences("${_src}" ">::save(soap, NULL, a->__ptr);" _item_saves)
count_occurrences("${_src}" "::push(soap, NULL);" _item_pushes)
count_occurrences("${_src}" "soap_save_block(soap, NULL, NULL, 1);" _block_saves)
count_occurrences("${_src}" "soap_push_block(soap, NULL, sizeof(" _block_pushes)
count_occurrences("${_src}" "soap_pop_block(soap, NULL);" _block_pops)
if(_item_saves EQUAL 0 OR NOT _item_saves EQUAL _item_pushes OR _block_saves EQUAL 0
   OR NOT _block_saves EQUAL _block_pushes OR NOT _block_pops EQUAL _block_pushes)
  message(FATAL_ERROR "mend_generated: expected one item save per collected array (${_item_pushes} "
                      "and ${_block_pushes}), found ${_item_saves} and ${_block_saves}, and one "
                      "block pop per array of strings or numbers, found ${_block_pops}; "
                      "the soapcpp2 output changed")
endif()
count_occurrences("${_src}" "::pop(soap, NULL);" _item_pops)
if(NOT _item_pops EQUAL _item_pushes)
  message(FATAL_ERROR "mend_generated: expected one item pop per collected array (${_item_pushes}), "
                      "found ${_item_pops}; the soapcpp2 output changed")
endif()
string(REGEX REPLACE "soap_block<([A-Za-z0-9_]+)>::push\\(soap, NULL\\);"
  "qor_push_item<\\1>(soap);" _src "${_src}")
string(REGEX REPLACE "soap_block<([A-Za-z0-9_]+)>::pop\\(soap, NULL\\);"
  "qor_pop_item<\\1>(soap);" _src "${_src}")
#     The record array's save: the array made for the items and saved into,
#     or the list ended when it is empty, in one call.
set(_record_save_re "\t\t\tif \\(soap->blist->size\\)\n\t\t\t\ta->__ptr = (soap_new_[A-Za-z0-9_]+)\\(soap, soap->blist->size/sizeof\\(([A-Za-z0-9_]+)\\)\\);\n\t\t\telse\n\t\t\t\ta->__ptr = NULL;\n\t\t\tif \\(a->__ptr\\)\n\t\t\t\tsoap_block<([A-Za-z0-9_]+)>::save\\(soap, NULL, a->__ptr\\);\n\t\t\telse\n\t\t\t\tsoap_block<([A-Za-z0-9_]+)>::end\\(soap, NULL\\);\n")
string(REGEX REPLACE "${_record_save_re}"
  "\t\t\ta->__ptr = qor_save_items(soap, &a->__size, \\1);\n" _src "${_src}")
count_occurrences("${_src}" "a->__ptr = qor_save_items(soap, &a->__size, soap_new_" _record_saves)
count_occurrences("${_src}" "soap_block<" _left_blocks)
if(NOT _record_saves EQUAL _item_saves OR NOT _left_blocks EQUAL 0)
  message(FATAL_ERROR "mend_generated: expected one record save per collected array (${_item_saves}), "
                      "mended ${_record_saves}, ${_left_blocks} block calls left; "
                      "the soapcpp2 output changed")
endif()
string(REPLACE "soap_save_block(soap, NULL, NULL, 1);" "qor_save_block(soap, &a->__size);" _src "${_src}")
string(REPLACE "soap_pop_block(soap, NULL);" "qor_pop_block(soap);" _src "${_src}")

# 12. Numbers, enumerations and booleans are read through qor_in_number and
#     qor_value, which take a plain value and its end tag straight from the
#     input buffer instead of through the runtime's call per character; any
#     other element still goes to the runtime's reader.
set(_number_re "a = soap_in(int|LONG64|double|byte|unsignedByte|unsignedInt)\\(soap, tag, a, type, SOAP_TYPE_([A-Za-z0-9]+)\\)")
string(REGEX MATCHALL "${_number_re}" _numbers "${_src}")
list(LENGTH _numbers _number_reads)
# qor_value tells that it read the end tag by clearing soap->body, which the
# reader tests before it reads an end tag of its own.
count_occurrences("${_src}" "soap_value(soap), a);\n\t\tif ((soap->body && soap_element_end_in(soap, tag)) || err)" _values)
count_occurrences("${_src}" "soap_value(soap)" _all_values)
count_occurrences("${_src}" "static const struct soap_code_map soap_codes_" _value_maps)
if(NOT _number_reads EQUAL 6 OR NOT _values EQUAL _value_maps OR NOT _all_values EQUAL _values)
  message(FATAL_ERROR "mend_generated: expected 6 number readers (found ${_number_reads}) and one "
                      "value read per enumeration code map (${_value_maps}, found ${_values}); "
                      "the soapcpp2 output changed")
endif()
string(REGEX REPLACE "${_number_re}"
  "a = qor_in_number(soap, tag, a, type, SOAP_TYPE_\\2, soap_in\\1, soap_s2\\1)" _src "${_src}")
# A value that names none of the type's values fails before its end tag is
# read, as a number does, so that the error names the element whose value it
# is (the generated reader read the end tag first, which named whatever
# element the end tag closed).
string(REPLACE "soap_value(soap), a);\n\t\tif ((soap->body && soap_element_end_in(soap, tag)) || err)"
  "qor_value(soap), a);\n\t\tif (err || (soap->body && soap_element_end_in(soap, tag)))" _src "${_src}")
message(STATUS "mend_generated: ${_item_saves} + ${_block_saves} collected array saves, "
               "${_number_reads} number and ${_values} value reads mended")

# 13. An array element whose xsi:type names another type than the one its
#     caller expects fails the read with SOAP_TYPE.  The generated check lets
#     any xsi:type pass when the element declares no SOAP-ENC:arrayType or
#     one of the array's items; SOAP-ENC:Array names another type too.  The
#     expected type still passes under any prefix bound to its namespace, as
#     do an element without xsi:type and a caller that gives no type name.
#     The callers that expect a type are the response classes for their
#     embedded arrays and the generic reader for an element that an href
#     names (it passes the type that the reference recorded).
set(_array_type_re "if \\(\\*soap->type && soap_match_array\\(soap, \"[^\"\n]+\"\\) && soap_match_tag\\(soap, soap->type, type\\)\\)")
count_occurrences("${_src}" "soap_match_array(" _array_matches)
string(REGEX MATCHALL "${_array_type_re}" _array_checks "${_src}")
list(LENGTH _array_checks _array_types)
if(_array_types EQUAL 0 OR NOT _array_types EQUAL _array_matches)
  message(FATAL_ERROR "mend_generated: expected one xsi:type check per array reader (${_array_matches}), "
                      "found ${_array_types}; the soapcpp2 output changed")
endif()
string(REGEX REPLACE "${_array_type_re}" "if (*soap->type && soap_match_tag(soap, soap->type, type))"
  _src "${_src}")
#     The response elements whose one member is an array (GetProcessList,
#     GetEnvironment, ListSnapshots and the others) and ReadSnapshot's
#     snapshot read that member with no type name, as a reader through a
#     pointer does: whatever its xsi:type, SOAP-ENC:Array with an arrayType
#     included, which services of rpc/encoded stacks send.  The generated
#     reads named the array's type.  An href in that member still leads to
#     the check above, through the generic reader.
set(_list_member_re "(Response\\(struct soap \\*soap, const char \\*tag, struct QORControl__[A-Za-z0-9_]+Response \\*a, const char \\*type\\)\n{\n[^}]*a->[A-Za-z0-9_]+\\.soap_in\\(soap, \"[^\"\n]+\", )\"QORControl:(ArrayOf[A-Za-z0-9]+|SnapshotZip)\"\\)")
# The matches hold semicolons, so the mended reads are counted instead.
set(_untyped_re "a->[A-Za-z0-9_]+\\.soap_in\\(soap, \"[^\"\n]+\", \"\"\\)")
string(REGEX MATCHALL "${_untyped_re}" _untyped "${_src}")
list(LENGTH _untyped _untyped_before)
string(REGEX REPLACE "${_list_member_re}" "\\1\"\")" _src "${_src}")
string(REGEX MATCHALL "${_untyped_re}" _untyped "${_src}")
list(LENGTH _untyped _list_members)
math(EXPR _list_members "${_list_members} - ${_untyped_before}")
if(NOT _list_members EQUAL 44)
  message(FATAL_ERROR "mend_generated: expected 44 response elements whose one member is an array "
                      "or the snapshot, found ${_list_members}; the soapcpp2 output changed")
endif()

# 14. The strings of an array's items share pieces of the context's memory
#     (QorStringScope): one allocation each made a long list a third slower.
#     Each array reader holds a scope for the rest of its call.
set(_array_read "\t\tQorDeclaredArray qor_slots(soap);\n")
count_occurrences("${_src}" "${_array_read}" _array_reads)
if(NOT _array_reads EQUAL _declared_count)
  message(FATAL_ERROR "mend_generated: expected one string scope per array reader (${_declared_count}), "
                      "found ${_array_reads} places; the soapcpp2 output changed")
endif()
string(REPLACE "${_array_read}" "\t\tconst QorStringScope qor_strings(soap);\n${_array_read}" _src "${_src}")

# 15. The readers note the entries of the id table they register locations
#     with (qor_id_enter, qor_id_lookup, qor_id_forward), and each array
#     reader holds a mark from where its notes begin (QorRegistrationMark):
#     an array's end, or an item taken back, looks at the entries noted since
#     instead of walking the whole table, which made records that each hold
#     an array cost records times ids.
count_occurrences("${_src}" "soap_id_" _id_calls)
foreach(_call enter lookup forward)
  string(REPLACE "soap_id_${_call}(soap, " "qor_id_${_call}(soap, " _src "${_src}")
endforeach()
count_occurrences("${_src}" "soap_id_" _id_left)
set(_scope "\t\tconst QorStringScope qor_strings(soap);\n")
count_occurrences("${_src}" "${_scope}" _marks)
if(_id_calls EQUAL 0 OR NOT _id_left EQUAL 0 OR NOT _marks EQUAL _array_reads)
  message(FATAL_ERROR "mend_generated: expected every id registration (${_id_calls}) to go through "
                      "qor_id_, ${_id_left} left, and a mark beside each string scope "
                      "(${_array_reads}, found ${_marks}); the soapcpp2 output changed")
endif()
string(REPLACE "${_scope}" "${_scope}\t\tconst QorRegistrationMark qor_marks(soap);\n" _src "${_src}")
message(STATUS "mend_generated: ${_id_calls} id registrations noted, ${_marks} array marks")

file(WRITE "${FILE}" "${_src}")
file(WRITE "${CLIENT}" "${_client}")
file(WRITE "${STUB}" "${_stub}")
message(STATUS "mend_generated: ${_enum_count} enumeration readers, the collected-array limit, "
               "the enumeration bases, ${_calls} fault reads, the fault detail, the string readers and writers, "
               "${_members} member reads, ${_declared_count} declared array sizes, ${_array_types} "
               "array type checks, ${_list_members} list response members and ${_array_reads} "
               "string scopes mended")
