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
  var formatChooser = byId('format');
  var roundingChooser = byId('rounding');
  var overflowChooser = byId('overflow');
  var viaChooser = byId('via');
  var bitsBox = byId('bits');
  var nextDownButton = byId('next-down');
  var nextUpButton = byId('next-up');

  var fieldBuffer = 0, resultBuffer = 0, fieldUnits = 0, choiceBuffer = 0, choiceBytes = 0;
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
  formatChooser.value = 'binary32';
  roundingChooser.value = 'nearest-even';
  overflowChooser.value = 'ieee';
  viaChooser.value = '';

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

  // Zelquin's own binary32 and binary64, where the box applies; the option
  // of the conversion: 0 binary32, 1 "Treat as 'double'", 2 binary64.
  function ownFormat() { return formatChooser.value === 'binary32' || formatChooser.value === 'binary64'; }
  function formatOption() {
    return doubleOption.checked ? 1 : formatChooser.value === 'binary64' ? 2 : 0;
  }

  function writeChoice() {
    var text = [formatChooser.value, roundingChooser.value, overflowChooser.value, viaChooser.value].join('|');
    var base = choiceBuffer;
    for (var i = 0; i < text.length && i < choiceBytes - 1; i++) HEAPU8[base + i] = text.charCodeAt(i);
    HEAPU8[base + Math.min(text.length, choiceBytes - 1)] = 0;
  }

  function convert(field) {
    var fromPattern = field === patternField;
    var text = field.value;
    var units = writeFieldText(text);
    var other = fromPattern ? valueField : patternField;
    var json;
    if (ownFormat()) {
      var option = formatOption();
      var length = fromPattern ? _zelquin_pattern_to_value(fieldBuffer, units, option, resultBuffer)
                               : _zelquin_value_to_pattern(fieldBuffer, units, option, resultBuffer);
      other.value = resultText(length);
      json = fromPattern ? _zelquin_explain_pattern(fieldBuffer, units, text.length, option)
                         : _zelquin_explain_value(fieldBuffer, units, text.length, option);
    } else {
      writeChoice();
      json = _zelquin_explain_in_format(fromPattern ? 0 : 1, fieldBuffer, units, text.length);
    }
    lastEdited = field;
    convertedAsDouble = doubleOption.checked;
    say('');
    var record = JSON.parse(UTF8ToString(json));
    if (record.error !== undefined) {
      // A pattern wider than the format: nothing converted, and why.
      other.value = '';
      shown = null;
      drawRefusal(record.error);
    } else {
      if (!ownFormat()) other.value = record.result;
      shown = record;
      drawExplanation(shown);
    }
    byId('stale').hidden = true;
    writeHash();
  }

  function edited(field) {
    lastEdited = field;
    if (ready) convert(field); else pendingEdit = field;
  }

  // ---- Entering a number ---------------------------------------------------

  // Puts the entry's text into its field as if the user had typed over the
  // field's whole text: through the browser's own editing where it can, so
  // that Ctrl+Z in the field brings back the text before. The element in
  // focus keeps it. An entry without a field says why.
  function enter(entry) {
    if (!entry) return false;
    if (entry.field === null) {
      say(entry.reason);
      return false;
    }
    var field = entry.field === 'pattern' ? patternField : valueField;
    var active = document.activeElement;
    field.focus({ preventScroll: true });
    field.select();
    var typed = false;
    try { typed = document.execCommand('insertText', false, entry.text); } catch (e) { typed = false; }
    if (!typed || field.value !== entry.text) {
      field.value = entry.text;
      edited(field);
    }
    if (active && active !== field && active !== document.body && active.focus) {
      active.focus({ preventScroll: true });
    }
    return true;
  }

  // ---- Drawing -------------------------------------------------------------

  var bitButtons = [];  // index: the bit number, 0 the least significant
  var focusBit = -1;    // the bit that Tab reaches
  var drawnRoles = '';  // the roles the buttons were built for, bit 0 first

  function rolesOf(record) { return record.bits.map(function (b) { return b.role; }).join(','); }

  function buildBits(record) {
    var bitCount = record.bits.length;
    var html = '';
    unitsOf(record).forEach(function (unit) {
      if (bitCount > 32 && unit[0][0] % 32 === 31 && unit[0][0] !== bitCount - 1) {
        html += '<span class="half"></span>';
      }
      html += '<span class="unit' + (unit.last ? ' last' : '') + '">';
      unit.forEach(function (nibble) {
        html += '<span class="nibble" data-first="' + nibble[0] + '">';
        nibble.forEach(function (bit) {
          var role = record.bits[bit].role;
          html += '<button type="button" class="' + role + '" data-bit="' + bit + '" tabindex="-1" aria-pressed="false"' +
                  ' aria-label="bit ' + bit + ', ' + role + '">0</button>';
        });
        html += '</span>';
      });
      html += '</span>';
    });
    bitsBox.innerHTML = html;
    bitButtons = [];
    var buttons = bitsBox.querySelectorAll('button');
    for (var i = 0; i < buttons.length; i++) bitButtons[Number(buttons[i].dataset.bit)] = buttons[i];
    drawnRoles = rolesOf(record);
    setFocusBit(bitCount - 1);
  }

  // The units that wrap as a whole, top bit first: each a list of nibbles,
  // each a list of bit numbers. A run of one role goes in fours from its low
  // end; a short top run of the fraction joins the nibble after it, so that no
  // row starts with fewer than four fraction bits. A unit ending a role is
  // marked `last`.
  function unitsOf(record) {
    var bits = record.bits;
    var units = [];
    var top = bits.length - 1;
    while (top >= 0) {
      var role = bits[top].role, low = top;
      while (low > 0 && bits[low - 1].role === role) low--;
      var nibbles = [];
      for (var high = top; high >= low;) {
        var size = (high - low + 1) % 4 || 4;
        var nibble = [];
        for (var b = high; b > high - size; b--) nibble.push(b);
        nibbles.push(nibble);
        high -= size;
      }
      var runUnits = [];
      if (role === 'fraction' && nibbles.length > 1 && nibbles[0].length < 4) {
        runUnits.push([nibbles.shift(), nibbles.shift()]);
      }
      nibbles.forEach(function (n) { runUnits.push([n]); });
      runUnits[runUnits.length - 1].last = true;
      units = units.concat(runUnits);
      top = low - 1;
    }
    return units;
  }

  function setFocusBit(bit) {
    if (bitButtons[focusBit]) bitButtons[focusBit].tabIndex = -1;
    focusBit = bit;
    bitButtons[bit].tabIndex = 0;
  }

  // Each bit's digit, and pale where no field takes the pattern with it
  // flipped, with the reason as its title.
  function drawBits(record) {
    if (rolesOf(record) !== drawnRoles) buildBits(record);
    var hex = record.hex.slice(2);
    for (var bit = 0; bit < bitButtons.length; bit++) {
      var one = (parseInt(hex[hex.length - 1 - (bit >> 2)], 16) >> (bit & 3)) & 1;
      var button = bitButtons[bit];
      var entry = record.bits[bit];
      if (button.textContent !== String(one)) {
        button.textContent = String(one);
        button.setAttribute('aria-pressed', one ? 'true' : 'false');
      }
      var blocked = entry.field === null;
      button.classList.toggle('blocked', blocked);
      button.title = 'bit ' + bit + ' (' + entry.role + ')' + (blocked ? ': ' + entry.reason : '');
      if (blocked) button.setAttribute('aria-description', entry.reason);
      else button.removeAttribute('aria-description');
    }
  }

  function drawLegend(record) {
    var present = {};
    record.bits.forEach(function (b) { present[b.role] = true; });
    var values = { sign: 'sign ' + record.sign, exponent: 'exponent field ' + record.exponentField,
                   integer: 'integer bit', fraction: 'fraction ' + record.fraction };
    byId('legend').innerHTML = ['sign', 'exponent', 'integer', 'fraction'].filter(function (role) {
      return present[role];
    }).map(function (role) {
      return '<span><i class="' + role + '"></i>' + values[role] + '</span>';
    }).join('');
  }

  function drawNeighbours(record) {
    [[nextDownButton, record.nextDownEntry, 'none below'], [nextUpButton, record.nextUpEntry, 'none above']]
      .forEach(function (item) {
        var button = item[0], entry = item[1];
        button.disabled = !entry || entry.field === null;
        button.title = !entry ? item[2] : entry.field === null ? entry.reason : entry.text;
      });
    var useNearest = byId('use-nearest');
    useNearest.hidden = !record.nearestDiffers;
    if (record.nearestDiffers) useNearest.textContent = 'Use ' + record.nearest;
    byId('nearest-action').hidden = !record.nearestDiffers;
  }

  // The explanation's lines, each its label and text; the exact value and
  // the shortest text with a copy button.
  var copyable = { exact: 'the exact value', shortest: 'the shortest text' };
  function drawLines(lines) {
    var list = byId('lines');
    list.textContent = '';
    lines.forEach(function (line) {
      var row = document.createElement('div');
      var label = document.createElement('dt');
      var cell = document.createElement('dd');
      var text = document.createElement('span');
      label.textContent = line[0];
      text.id = 'line-' + line[0].replace(/ /g, '-');
      text.textContent = line[1];
      cell.appendChild(text);
      if (copyable[line[0]]) {
        var button = document.createElement('button');
        button.type = 'button';
        button.className = 'copy';
        button.dataset.copy = line[0];
        button.setAttribute('aria-label', 'Copy ' + copyable[line[0]]);
        button.textContent = 'Copy';
        cell.appendChild(button);
      }
      row.appendChild(label);
      row.appendChild(cell);
      list.appendChild(row);
    });
    list.hidden = false;
  }

  function drawExplanation(record) {
    drawBits(record);
    drawLegend(record);
    drawNeighbours(record);
    drawNotes(record.notes);
    drawLines(record.lines);
    drawLandmarks(record);
    byId('number').hidden = false;
    byId('hint').hidden = true;
  }

  function drawNotes(notes) {
    var list = byId('notes');
    list.textContent = '';
    notes.forEach(function (text) {
      var item = document.createElement('li');
      item.textContent = text;
      list.appendChild(item);
    });
    list.hidden = notes.length === 0;
  }

  function drawRefusal(reason) {
    drawNotes([reason]);
    byId('number').hidden = true;
    byId('lines').hidden = true;
    byId('nearest-action').hidden = true;
    byId('hint').hidden = true;
  }

  // The format's landmarks, each a button that enters it.
  function drawLandmarks(record) {
    var box = byId('landmarks');
    box.textContent = '';
    (record.landmarks || []).forEach(function (mark, i) {
      var button = document.createElement('button');
      var entry = record.landmarkEntries[i];
      button.type = 'button';
      button.dataset.landmark = String(i);
      button.textContent = mark.name;
      button.title = mark.hex + (mark.value !== null ? ' = ' + mark.value : '');
      button.disabled = !entry || entry.field === null;
      box.appendChild(button);
    });
    box.hidden = box.childNodes.length === 0;
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
    exact: function () { return [shown.exact, 'the exact value']; },
    shortest: function () { return [shown.shortest, 'the shortest text']; }
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
    var hash = '#' + lastEdited.id + '=' + encodeText(lastEdited.value) + (doubleOption.checked ? '&double=1' : '') +
               (formatChooser.value !== 'binary32' ? '&format=' + formatChooser.value : '');
    if (!ownFormat()) {
      hash += (roundingChooser.value !== 'nearest-even' ? '&rounding=' + roundingChooser.value : '') +
              (overflowChooser.value !== 'ieee' ? '&overflow=' + overflowChooser.value : '') +
              (viaChooser.value ? '&via=' + viaChooser.value : '');
    }
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
  // The choosers' values a link names, applied once the formats are listed.
  var linkedChoice = {};

  function readHash() {
    var field = null, text = '', treatAsDouble = false;
    linkedChoice = {};
    location.hash.replace(/^#/, '').split('&').forEach(function (part) {
      var at = part.indexOf('=');
      var name = at < 0 ? part : part.slice(0, at);
      var value = at < 0 ? '' : part.slice(at + 1);
      if ((name === 'pattern' || name === 'value') && !field) {
        field = name === 'pattern' ? patternField : valueField;
        text = decodeText(value);
      } else if (name === 'double') {
        treatAsDouble = value === '1';
      } else if (name === 'format' || name === 'rounding' || name === 'overflow' || name === 'via') {
        linkedChoice[name] = decodeText(value);
      }
    });
    if (!field) return null;
    field.value = text;
    (field === patternField ? valueField : patternField).value = '';
    doubleOption.checked = treatAsDouble;
    applyLinkedChoice();
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

  // The choosers say what the fields convert in: the box applies to
  // binary32 and binary64, the rounding, the overflow and the chain to the
  // other formats. A change converts the field edited last again.
  function showChoosers() {
    var own = ownFormat();
    doubleOption.disabled = !own;
    if (!own) doubleOption.checked = false;
    byId('format-choice').hidden = own;
  }

  function applyLinkedChoice() {
    [['format', formatChooser, 'binary32'], ['rounding', roundingChooser, 'nearest-even'],
     ['overflow', overflowChooser, 'ieee'], ['via', viaChooser, '']].forEach(function (item) {
      var wanted = linkedChoice[item[0]] !== undefined ? linkedChoice[item[0]] : item[2];
      var known = [].some.call(item[1].options, function (o) { return o.value === wanted; });
      item[1].value = known ? wanted : item[2];
    });
    showChoosers();
  }

  [formatChooser, roundingChooser, overflowChooser, viaChooser].forEach(function (chooser) {
    chooser.addEventListener('change', function () {
      showChoosers();
      if (lastEdited && ready) edited(lastEdited); else writeHash();
    });
  });

  byId('landmarks').addEventListener('click', function (event) {
    var button = event.target.closest('button[data-landmark]');
    if (button && shown) enter(shown.landmarkEntries[Number(button.dataset.landmark)]);
  });

  // The box decides which fields take a number: the library works the
  // entries out again for its new state.
  doubleOption.addEventListener('change', function () {
    byId('stale').hidden = !shown || doubleOption.checked === convertedAsDouble;
    writeHash();
    if (!shown || !ready) return;
    var entries = JSON.parse(UTF8ToString(_zelquin_entries(doubleOption.checked ? 1 : 0)));
    for (var name in entries) shown[name] = entries[name];
    drawBits(shown);
    drawNeighbours(shown);
    drawLandmarks(shown);
  });
  byId('convert-now').addEventListener('click', function () {
    if (lastEdited) edited(lastEdited);
    doubleOption.focus();
  });

  function step(member) {
    if (shown) enter(shown[member]);
  }
  nextDownButton.addEventListener('click', function () { step('nextDownEntry'); });
  nextUpButton.addEventListener('click', function () { step('nextUpEntry'); });
  byId('use-nearest').addEventListener('click', function () {
    step('nearestEntry');
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
    enter(shown.bits[bit]);
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
    choiceBuffer = _zelquin_choice_buffer();
    choiceBytes = _zelquin_choice_bytes();
    // The formats, as the library lists them.
    JSON.parse(UTF8ToString(_zelquin_formats())).forEach(function (format) {
      var label = format.name + (format.aliases ? ' (' + format.aliases + ')' : '');
      if (format.name !== 'binary32' && format.name !== 'binary64') {
        var option = document.createElement('option');
        option.value = format.name;
        option.textContent = label;
        formatChooser.appendChild(option);
      }
      var step = document.createElement('option');
      step.value = format.name;
      step.textContent = label;
      viaChooser.appendChild(step);
    });
    applyLinkedChoice();
    ready = true;
    if (pendingEdit) convert(pendingEdit);
    performance.mark('zelquin-ready');
  };
  // Without the module nothing converts: say so rather than stay silent.
  Module['onAbort'] = function () {
    show('hint', 'This browser could not start the page\'s WebAssembly module, so nothing is converted.');
  };
})();
