// The page's script, run after the module's own code: keeps the two fields in
// step as the window does and draws the explanation of the number converted.
//
// A user's edit of a field raises an input event; the script's own writes to
// a field's value raise none, so they are never taken for an edit. Toggling
// the check box raises no conversion: the next edit reads its state.
(function () {
  'use strict';

  var patternField = document.getElementById('pattern');
  var valueField = document.getElementById('value');
  var doubleOption = document.getElementById('double');
  var explanation = document.getElementById('explanation');

  var fieldBuffer = 0, resultBuffer = 0, fieldUnits = 0;
  var ready = false;
  var pendingEdit = null;  // the field last edited before the module was ready

  // Both fields start empty and the option clear, whatever the browser kept.
  patternField.value = '';
  valueField.value = '';
  doubleOption.checked = false;

  function show(id, text) { document.getElementById(id).textContent = text; }

  // The field's first units go into the module's field buffer as they are.
  function writeFieldText(text) {
    var units = Math.min(text.length, fieldUnits);
    var base = fieldBuffer >> 1;
    for (var i = 0; i < units; i++) HEAPU16[base + i] = text.charCodeAt(i);
    return units;
  }

  function resultText(units) {
    var base = resultBuffer >> 1;
    return String.fromCharCode.apply(null, HEAPU16.subarray(base, base + units));
  }

  function convert(field) {
    var fromPattern = field === patternField;
    var text = field.value;
    var units = writeFieldText(text);
    var treatAsDouble = doubleOption.checked ? 1 : 0;
    var length = fromPattern ? _zelquin_pattern_to_value(fieldBuffer, units, treatAsDouble, resultBuffer)
                             : _zelquin_value_to_pattern(fieldBuffer, units, treatAsDouble, resultBuffer);
    (fromPattern ? valueField : patternField).value = resultText(length);

    var json = fromPattern ? _zelquin_explain_pattern(fieldBuffer, units, treatAsDouble)
                           : _zelquin_explain_value(fieldBuffer, units, treatAsDouble);
    drawExplanation(JSON.parse(UTF8ToString(json)), fromPattern, text.length, units);
  }

  function cellGroup(name, caption, bits, topBit) {
    var cells = '';
    for (var i = 0; i < bits.length; i++) cells += '<span title="bit ' + (topBit - i) + '">' + bits[i] + '</span>';
    return '<div class="group ' + name + '"><div class="cells">' + cells + '</div><div class="caption">' +
           caption + '</div></div>';
  }

  // Sign | exponent | fraction, as --explain groups the bits.
  function drawBits(record) {
    var exponentBits = record.format === 'binary64' ? 11 : 8;
    var hex = record.hex.slice(2);
    var bits = '';
    for (var i = 0; i < hex.length; i++) bits += ('000' + parseInt(hex[i], 16).toString(2)).slice(-4);
    var top = bits.length - 1;
    document.getElementById('bits').innerHTML =
        cellGroup('sign', 'sign', bits.slice(0, 1), top) +
        cellGroup('exponent', 'exponent ' + record.exponentField, bits.slice(1, 1 + exponentBits), top - 1) +
        cellGroup('fraction', 'fraction ' + record.fraction, bits.slice(1 + exponentBits),
                  top - 1 - exponentBits);
  }

  function exactText(record) {
    if (record.exact !== null) return record.exact;
    if (record['class'] === 'infinity') return record.sign ? '-infinity' : 'infinity';
    return 'not a number';
  }

  function drawExplanation(record, fromPattern, textUnits, convertedUnits) {
    drawBits(record);
    show('format', record.format);
    show('class', record['class']);
    show('exponent', (record.exponent === null ? 'none' : record.exponent) + ' (field ' + record.exponentField + ')');
    show('hex', record.hex);
    show('exact', exactText(record));
    if (!fromPattern) {
      show('typed', record.typed);
      show('difference', record.difference === null ? 'none' : record.difference + ' (typed minus exact)');
    }
    show('read', textUnits > convertedUnits
        ? 'Only the first ' + convertedUnits + ' of the ' + textUnits + ' UTF-16 units of the text are converted.' : '');
    explanation.className = fromPattern ? 'from-pattern' : 'from-value';
    explanation.hidden = false;
    document.getElementById('hint').hidden = true;
  }

  function edited(field) {
    if (ready) convert(field); else pendingEdit = field;
  }
  patternField.addEventListener('input', function () { edited(patternField); });
  valueField.addEventListener('input', function () { edited(valueField); });

  Module['onRuntimeInitialized'] = function () {
    fieldBuffer = _zelquin_field_buffer();
    resultBuffer = _zelquin_result_buffer();
    fieldUnits = _zelquin_field_units();
    ready = true;
    performance.mark('zelquin-ready');
    if (pendingEdit) convert(pendingEdit);
  };
  // Without the module nothing converts: say so rather than stay silent.
  Module['onAbort'] = function () {
    show('hint', 'This browser could not start the page\'s WebAssembly module, so nothing is converted.');
  };
})();
