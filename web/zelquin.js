// The page's script, run after the module's own code: keeps the two fields in
// step as the window does, draws the explanation of the number converted, and
// around them the bits to click, the neighbours, the link and the copies.
//
// A user's edit of a field raises an input event; the script's own writes to
// a field's value raise none, so they are never taken for an edit. Toggling
// the check box raises no conversion: the next edit reads its state. A bit
// click, a neighbour and the nearest pattern write a field and convert it as
// if the user had typed that text.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }

  var patternField = byId('pattern');
  var valueField = byId('value');
  var doubleOption = byId('double');
  var bitsBox = byId('bits');
  var nextDownButton = byId('next-down');
  var nextUpButton = byId('next-up');

  var fieldBuffer = 0, resultBuffer = 0, fieldUnits = 0;
  var ready = false;
  var pendingEdit = null;  // the field to convert once the module is ready

  var lastEdited = null;          // the field converted last
  var convertedAsDouble = false;  // the check box's state at that conversion
  var shown = null;               // the explanation drawn
  var writtenHash = null;         // the fragment this script wrote last

  // Both fields start empty and the option clear, whatever the browser kept;
  // a link's fragment then fills one of them.
  patternField.value = '';
  valueField.value = '';
  doubleOption.checked = false;

  function show(id, text) { byId(id).textContent = text; }

  // ---- The module ----------------------------------------------------------

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

    var json = fromPattern ? _zelquin_explain_pattern(fieldBuffer, units, text.length, treatAsDouble)
                           : _zelquin_explain_value(fieldBuffer, units, text.length, treatAsDouble);
    lastEdited = field;
    convertedAsDouble = !!treatAsDouble;
    say('');
    shown = JSON.parse(UTF8ToString(json));
    drawExplanation(shown, !!treatAsDouble);
    byId('stale').hidden = true;
    writeHash();
  }

  function edited(field) {
    lastEdited = field;
    if (ready) convert(field); else pendingEdit = field;
  }

  // ---- Bits as numbers -----------------------------------------------------

  // The emscripten tools that build the page read no BigInt literals.
  var ZERO = BigInt(0), HALF = BigInt(32), LOW_HALF = BigInt(0xffffffff);

  function formatBits(record) { return record.format === 'binary64' ? 64 : 32; }

  function hexOf(bits, bitCount) {
    var digits = bits.toString(16);
    return '0x' + '0'.repeat(bitCount / 4 - digits.length) + digits;
  }

  // The pattern text that the pattern field reads as these bits while the
  // check box is as it is now, or null: the full pattern; with the box set, a
  // binary64's upper half, which the field reads as a binary64 whose low half
  // is 0.
  function patternTextFor(bits, bitCount) {
    if (doubleOption.checked) {
      if (bitCount !== 64 || (bits & LOW_HALF) !== ZERO) return null;
      return hexOf(bits >> HALF, 32);
    }
    if (bitCount === 64 && bits >> HALF === ZERO) return null;  // read as a binary32
    return hexOf(bits, bitCount);
  }

  // A decimal that the value field reads as this binary64 with the box set
  // (the shortest that reads back, else more digits), from the explanation
  // library as the window's Details panel takes it; null where there is none.
  function valueTextFor(bits) {
    var length = _zelquin_value_text_for(Number(bits >> HALF), Number(bits & LOW_HALF), resultBuffer);
    return length === 0 ? null : resultText(length);
  }

  // Puts a number of the shown format into a field and converts it as an
  // edit: into the pattern field where that field can hold it; with the box
  // set and a binary64 whose low half is not 0, as a decimal into the value
  // field. Says so where neither can.
  function enterNumber(bits, bitCount) {
    var text = patternTextFor(bits, bitCount);
    if (text !== null) {
      patternField.value = text;
      edited(patternField);
      return true;
    }
    text = doubleOption.checked && bitCount === 64 ? valueTextFor(bits) : null;
    if (text !== null) {
      valueField.value = text;
      edited(valueField);
      return true;
    }
    var hex = hexOf(bits, bitCount);
    say(doubleOption.checked
        ? (bitCount === 64 ? hex + ' has a low half that the pattern field cannot hold while \'Treat as double\' is set, and no decimal reads as it.'
                           : 'With \'Treat as double\' set, both fields give a binary64: clear it to reach the binary32 ' + hex + '.')
        : 'The pattern field reads ' + hex + ' as a binary32 while \'Treat as double\' is clear; set it to reach this binary64.');
    return false;
  }

  // ---- Drawing -------------------------------------------------------------

  var bitButtons = [];  // index: the bit number, 0 the least significant
  var focusBit = -1;    // the bit that Tab reaches

  function fieldOf(bit, bitCount) {
    var fractionBits = bitCount === 64 ? 52 : 23;
    return bit === bitCount - 1 ? 'sign' : bit >= fractionBits ? 'exponent' : 'fraction';
  }

  function buildBits(bitCount) {
    var html = '';
    var fractionBits = bitCount === 64 ? 52 : 23;
    unitsOf(bitCount).forEach(function (unit) {
      var lastBit = unit[unit.length - 1][unit[unit.length - 1].length - 1];
      if (bitCount === 64 && unit[0][0] === 31) html += '<span class="half"></span>';
      var last = lastBit === bitCount - 1 || lastBit === fractionBits;
      html += '<span class="unit' + (last ? ' last' : '') + '">';
      unit.forEach(function (nibble) {
        html += '<span class="nibble">';
        nibble.forEach(function (bit) {
          var field = fieldOf(bit, bitCount);
          html += '<button type="button" class="' + field + '" data-bit="' + bit + '" tabindex="-1" aria-pressed="false"' +
                  ' aria-label="bit ' + bit + ', ' + field + '" title="bit ' + bit + ' (' + field + ')">0</button>';
        });
        html += '</span>';
      });
      html += '</span>';
    });
    bitsBox.innerHTML = html;
    bitButtons = [];
    var buttons = bitsBox.querySelectorAll('button');
    for (var i = 0; i < buttons.length; i++) bitButtons[Number(buttons[i].dataset.bit)] = buttons[i];
    setFocusBit(bitCount - 1);
  }

  // The units that wrap as a whole, top bit first: each a list of nibbles,
  // each a list of bit numbers. Exponent and fraction go in fours from their
  // low ends; a short top run of the fraction joins the nibble after it.
  function unitsOf(bitCount) {
    var fractionBits = bitCount === 64 ? 52 : 23;
    function fours(high, low) {
      var nibbles = [];
      var top = high;
      while (top >= low) {
        var size = (top - low + 1) % 4 || 4;
        var nibble = [];
        for (var b = top; b > top - size; b--) nibble.push(b);
        nibbles.push(nibble);
        top -= size;
      }
      return nibbles;
    }
    var list = [[[bitCount - 1]]];
    fours(bitCount - 2, fractionBits).forEach(function (nibble) { list.push([nibble]); });
    var fraction = fours(fractionBits - 1, 0);
    if (fraction[0].length < 4) list.push([fraction.shift(), fraction.shift()]);
    fraction.forEach(function (nibble) { list.push([nibble]); });
    return list;
  }

  function setFocusBit(bit) {
    if (bitButtons[focusBit]) bitButtons[focusBit].tabIndex = -1;
    focusBit = bit;
    bitButtons[bit].tabIndex = 0;
  }

  function drawBits(record) {
    var bitCount = formatBits(record);
    if (bitButtons.length !== bitCount) buildBits(bitCount);
    var hex = record.hex.slice(2);
    for (var bit = 0; bit < bitCount; bit++) {
      var one = (parseInt(hex[hex.length - 1 - (bit >> 2)], 16) >> (bit & 3)) & 1;
      var button = bitButtons[bit];
      if (button.textContent !== String(one)) {
        button.textContent = String(one);
        button.setAttribute('aria-pressed', one ? 'true' : 'false');
      }
    }
  }

  function drawLegend(record) {
    byId('legend').innerHTML =
        '<span><i class="sign"></i>sign ' + record.sign + '</span>' +
        '<span><i class="exponent"></i>exponent field ' + record.exponentField + '</span>' +
        '<span><i class="fraction"></i>fraction ' + record.fraction + '</span>';
  }

  function has(record, member) { return record[member] !== undefined && record[member] !== null; }

  // A row of the explanation, hidden when it has no text.
  function row(id, text) {
    var hidden = text === null || text === undefined;
    byId('facts').querySelector('[data-row="' + id + '"]').hidden = hidden;
    if (!hidden) show(id, text);
  }

  function exactText(record) {
    if (record.exact !== null) return record.exact;
    if (record['class'] === 'infinity') return record.sign ? '-infinity' : 'infinity';
    return 'not a number';
  }

  // How the pattern command chose the format, as zelquin-convert says it.
  function formatText(record, treatAsDouble) {
    if (record.command === 'value') {
      return record.narrowedFrom ? 'binary32, narrowed from binary64 ' + record.narrowedFrom : 'binary64';
    }
    if (record.format === 'binary32') return 'binary32';
    if (!treatAsDouble) return 'binary64, as the integer is above 0xffffffff';
    var integer = BigInt(record.integer);
    return 'binary64: the integer\'s low 32 bits, ' + hexOf(integer & LOW_HALF, 32) +
           ', as its upper half and 0 as its low half (\'Treat as double\')' +
           (integer >> HALF !== ZERO ? '; the integer\'s upper 32 bits are dropped' : '');
  }

  function notesOf(record) {
    var notes = [];
    if (record.truncated) {
      notes.push('Only the first ' + fieldUnits + ' of the ' + record.textUnits +
                 ' UTF-16 units of the text are converted.');
    }
    if (record.noNumber) notes.push('There is no number at the start of the text, so it is read as 0.');
    if (record.textAfterIgnored) {
      notes.push('The text after the number is ignored: the number read is ' +
                 (record.command === 'value' ? record.typed : record.integer) + '.');
    }
    if (record.overflowed) notes.push('The digits overflow 64 bits, so they are read as 0xffffffffffffffff.');
    if (record.wrapped) notes.push('The number is negative, so it is wrapped modulo 2^64 to ' + record.integer + '.');
    if (record.quietedFrom) {
      notes.push('The signalling NaN ' + record.quietedFrom + ' is made quiet: ' + record.hex + ' is what is stored.');
    }
    return notes;
  }

  function nearestSentence(record) {
    if (!has(record, 'nearest')) return null;
    if (!record.nearestDiffers) return 'A correctly rounding reader stores the same bits.';
    return 'A correctly rounding reader stores ' + record.nearest + '; Zelquin differs because ' +
           (record.differsBecause || 'its reader keeps its own rules') + '.';
  }

  function productText(record) {
    if (!has(record, 'significand')) return null;
    return (record.sign ? '-' : '+') + record.significand +
           (record.exponent === null ? '' : ' × 2^' + record.exponent);
  }

  function drawExplanation(record, treatAsDouble) {
    var fromPattern = record.command === 'pattern';
    drawBits(record);
    drawLegend(record);
    nextDownButton.disabled = !has(record, 'nextDown');
    nextUpButton.disabled = !has(record, 'nextUp');
    nextDownButton.title = has(record, 'nextDown') ? record.nextDown : 'none below';
    nextUpButton.title = has(record, 'nextUp') ? record.nextUp : 'none above';

    var notes = notesOf(record);
    var list = byId('notes');
    list.innerHTML = '';
    notes.forEach(function (text) {
      var item = document.createElement('li');
      item.textContent = text;
      list.appendChild(item);
    });
    list.hidden = notes.length === 0;

    row('format', formatText(record, treatAsDouble));
    row('integer', fromPattern ? record.integer : null);
    row('class', record['class']);
    row('exponent', (record.exponent === null ? 'none' : record.exponent) + ' (field ' + record.exponentField + ')');
    row('hex', record.hex);
    row('significand', productText(record));
    row('exact', exactText(record));
    row('shortest', has(record, 'shortest') ? record.shortest : null);
    row('typed', fromPattern ? null : record.typed);
    row('difference', fromPattern ? null
        : record.difference !== null ? record.difference + ' (typed minus exact)'
        : record.exact === null ? 'none: the stored number is infinite' : 'none: too far apart');
    row('ulps', fromPattern || !has(record, 'ulps') ? null : record.ulps);

    var sentence = nearestSentence(record);
    byId('nearest-line').hidden = sentence === null;
    if (sentence !== null) show('nearest', sentence);
    var useNearest = byId('use-nearest');
    useNearest.hidden = !record.nearestDiffers;
    if (record.nearestDiffers) useNearest.textContent = 'Use ' + record.nearest;

    byId('facts').hidden = false;
    byId('number').hidden = false;
    byId('hint').hidden = true;
  }

  // ---- Messages and copies -------------------------------------------------

  function say(text) { show('status', text); }

  function copy(text, what) {
    function fallback() {
      var area = document.createElement('textarea');
      area.value = text;
      area.setAttribute('readonly', '');
      area.style.position = 'fixed';
      area.style.opacity = '0';
      document.body.appendChild(area);
      area.select();
      var done = false;
      try { done = document.execCommand('copy'); } catch (e) { done = false; }
      document.body.removeChild(area);
      say(done ? 'Copied ' + what + '.' : 'This browser did not let the page copy ' + what + '.');
    }
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(text).then(function () { say('Copied ' + what + '.'); }, fallback);
    } else {
      fallback();
    }
  }

  var copies = {
    pattern: function () { return [patternField.value, 'the pattern']; },
    value: function () { return [valueField.value, 'the float']; },
    exact: function () { return [byId('exact').textContent, 'the exact value']; },
    shortest: function () { return [byId('shortest').textContent, 'the shortest text']; }
  };
  document.addEventListener('click', function (event) {
    var button = event.target.closest && event.target.closest('button[data-copy]');
    if (!button) return;
    var what = copies[button.dataset.copy]();
    copy(what[0], what[1]);
  });
  byId('copy-link').addEventListener('click', function () {
    writeHashNow();
    copy(location.href, 'the link');
  });

  // ---- The link: #pattern=TEXT or #value=TEXT, and &double=1 ---------------

  // UTF-8 with percent signs; a lone surrogate, which UTF-8 cannot hold, as
  // the three bytes its code would take, so that every field text comes back.
  function encodeText(text) {
    var out = '';
    for (var i = 0; i < text.length; i++) {
      var unit = text.charCodeAt(i);
      if (unit >= 0xd800 && unit <= 0xdbff && i + 1 < text.length &&
          text.charCodeAt(i + 1) >= 0xdc00 && text.charCodeAt(i + 1) <= 0xdfff) {
        out += encodeURIComponent(text.slice(i, i + 2));
        i++;
      } else if (unit >= 0xd800 && unit <= 0xdfff) {
        out += '%' + (0xe0 | unit >> 12).toString(16).toUpperCase() +
               '%' + (0x80 | (unit >> 6 & 0x3f)).toString(16).toUpperCase() +
               '%' + (0x80 | (unit & 0x3f)).toString(16).toUpperCase();
      } else {
        out += encodeURIComponent(text[i]);
      }
    }
    return out;
  }

  // The reverse, for any fragment: bytes that are no UTF-8 give U+FFFD.
  function decodeText(text) {
    try { return decodeURIComponent(text); } catch (e) { /* decoded below */ }
    var bytes = [];
    for (var i = 0; i < text.length; i++) {
      if (text[i] === '%' && /^[0-9a-fA-F]{2}$/.test(text.substr(i + 1, 2))) {
        bytes.push(parseInt(text.substr(i + 1, 2), 16));
        i += 2;
      } else {
        var utf8 = unescape(encodeURIComponent(text[i] === '%' ? '%' : text.slice(i, i + 1)));
        for (var j = 0; j < utf8.length; j++) bytes.push(utf8.charCodeAt(j));
      }
    }
    var out = '';
    for (var k = 0; k < bytes.length;) {
      var b = bytes[k], need = b >= 0xf0 && b < 0xf5 ? 3 : b >= 0xe0 ? 2 : b >= 0xc2 && b < 0xe0 ? 1 : 0;
      var code = need === 3 ? b & 7 : need === 2 ? b & 15 : b & 31;
      var ok = b < 0x80 || need > 0;
      for (var n = 1; ok && n <= need; n++) {
        if (k + n >= bytes.length || (bytes[k + n] & 0xc0) !== 0x80) ok = false;
        else code = code << 6 | bytes[k + n] & 0x3f;
      }
      if (b < 0x80) { out += String.fromCharCode(b); k++; continue; }
      if (!ok || code < [0, 0x80, 0x800, 0x10000][need] || code > 0x10ffff) { out += '\ufffd'; k++; continue; }
      out += String.fromCodePoint(code);
      k += need + 1;
    }
    return out;
  }

  // The fragment follows the edits once they pause: replacing it takes the
  // browser longer than a conversion, and browsers refuse to replace it
  // hundreds of times in a few seconds. A copy of the link, or leaving the
  // page, writes it at once.
  var hashTimer = 0;
  function writeHash() {
    clearTimeout(hashTimer);
    hashTimer = setTimeout(writeHashNow, 150);
  }
  function writeHashNow() {
    clearTimeout(hashTimer);
    if (!lastEdited) return;
    var hash = '#' + lastEdited.id + '=' + encodeText(lastEdited.value) + (doubleOption.checked ? '&double=1' : '');
    if (hash === location.hash) return;
    try {
      history.replaceState(history.state, '', hash);
    } catch (e) {
      location.replace(hash);
    }
    writtenHash = location.hash;
  }
  window.addEventListener('pagehide', writeHashNow);

  // Fills the field the fragment names and sets the box; returns that field,
  // or null when the fragment names none.
  function readHash() {
    var field = null, text = '', treatAsDouble = false;
    location.hash.replace(/^#/, '').split('&').forEach(function (part) {
      var at = part.indexOf('=');
      var name = at < 0 ? part : part.slice(0, at);
      var value = at < 0 ? '' : part.slice(at + 1);
      if ((name === 'pattern' || name === 'value') && !field) {
        field = name === 'pattern' ? patternField : valueField;
        text = decodeText(value);
      } else if (name === 'double') {
        treatAsDouble = value === '1';
      }
    });
    if (!field) return null;
    field.value = text;
    (field === patternField ? valueField : patternField).value = '';
    doubleOption.checked = treatAsDouble;
    return field;
  }

  window.addEventListener('hashchange', function () {
    if (location.hash === writtenHash) return;
    var field = readHash();
    if (field) edited(field);
  });

  // ---- Controls ------------------------------------------------------------

  patternField.addEventListener('input', function () { edited(patternField); });
  valueField.addEventListener('input', function () { edited(valueField); });

  doubleOption.addEventListener('change', function () {
    byId('stale').hidden = !shown || doubleOption.checked === convertedAsDouble;
    writeHash();
  });
  byId('convert-now').addEventListener('click', function () {
    if (lastEdited) edited(lastEdited);
    doubleOption.focus();
  });

  function step(member) {
    if (shown && has(shown, member)) enterNumber(BigInt(shown[member]), formatBits(shown));
  }
  nextDownButton.addEventListener('click', function () { step('nextDown'); });
  nextUpButton.addEventListener('click', function () { step('nextUp'); });
  byId('use-nearest').addEventListener('click', function () {
    step('nearest');
    // The button goes once the nearest pattern is shown: the focus goes to
    // the field that received it.
    if (byId('use-nearest').hidden && lastEdited) lastEdited.focus();
  });
  document.addEventListener('keydown', function (event) {
    if (!event.altKey || event.ctrlKey || event.metaKey) return;
    var button = event.key === 'ArrowUp' ? nextUpButton : event.key === 'ArrowDown' ? nextDownButton : null;
    if (!button) return;
    event.preventDefault();
    if (!button.disabled && ready) button.click();
  });

  bitsBox.addEventListener('click', function (event) {
    var button = event.target.closest('button[data-bit]');
    if (!button || !shown) return;
    var bit = Number(button.dataset.bit);
    setFocusBit(bit);
    var bitCount = bitButtons.length;
    enterNumber(BigInt(shown.hex) ^ (BigInt(1) << BigInt(bit)), bitCount);
    // A change of format draws new buttons: keep the focus on the same bit.
    if (bitButtons[bit] && !bitsBox.contains(document.activeElement)) bitButtons[bit].focus();
  });

  // Left and right go to the next bit in reading order, up and down to the
  // nearest bit on the row above or below, Home and End to the ends.
  bitsBox.addEventListener('keydown', function (event) {
    var button = event.target.closest('button[data-bit]');
    if (!button || event.altKey || event.ctrlKey || event.metaKey) return;
    var bit = Number(button.dataset.bit);
    var top = bitButtons.length - 1;
    var target = null;
    if (event.key === 'ArrowLeft') target = Math.min(top, bit + 1);
    else if (event.key === 'ArrowRight') target = Math.max(0, bit - 1);
    else if (event.key === 'Home') target = top;
    else if (event.key === 'End') target = 0;
    else if (event.key === 'ArrowUp' || event.key === 'ArrowDown') target = bitOnNextRow(button, event.key === 'ArrowDown');
    else return;
    event.preventDefault();
    if (target === null) return;
    setFocusBit(target);
    bitButtons[target].focus();
  });

  function bitOnNextRow(button, down) {
    var from = button.getBoundingClientRect();
    var centre = from.left + from.width / 2;
    var best = null, bestRow = null, bestDistance = Infinity;
    bitButtons.forEach(function (other, bit) {
      var box = other.getBoundingClientRect();
      var rowTop = box.top;
      if (down ? rowTop <= from.top + 1 : rowTop >= from.top - 1) return;
      if (bestRow !== null && (down ? rowTop > bestRow + 1 : rowTop < bestRow - 1)) return;
      if (bestRow === null || Math.abs(rowTop - bestRow) > 1) { bestRow = rowTop; bestDistance = Infinity; }
      var distance = Math.abs(box.left + box.width / 2 - centre);
      if (distance < bestDistance) { bestDistance = distance; best = bit; }
    });
    return best;
  }

  // ---- Start ---------------------------------------------------------------

  var linked = readHash();
  if (linked) { lastEdited = linked; pendingEdit = linked; }

  Module['onRuntimeInitialized'] = function () {
    fieldBuffer = _zelquin_field_buffer();
    resultBuffer = _zelquin_result_buffer();
    fieldUnits = _zelquin_field_units();
    ready = true;
    if (pendingEdit) convert(pendingEdit);
    performance.mark('zelquin-ready');
  };
  // Without the module nothing converts: say so rather than stay silent.
  Module['onAbort'] = function () {
    show('hint', 'This browser could not start the page\'s WebAssembly module, so nothing is converted.');
  };
})();
