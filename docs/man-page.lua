-- Turns a program's page in docs/ into a man page: the title line "NAME: what it is"
-- becomes the NAME section, the sections below it move up one level, and links to the
-- other pages keep only their text. A German page (metadata lang=de) gets German headings.
local function name_section(header, german)
  local title = pandoc.utils.stringify(header.content)
  local name, what = title:match('^(.-):%s*(.*)$')
  if not name then name, what = title, '' end
  return {
    pandoc.Header(1, german and 'BEZEICHNUNG' or 'NAME'),
    pandoc.Para({pandoc.Str(name), pandoc.Space(), pandoc.RawInline('man', '\\-'),
                 pandoc.Space(), pandoc.Str(what)}),
    pandoc.Header(1, german and 'BESCHREIBUNG' or 'DESCRIPTION'),
  }
end

function Pandoc(doc)
  -- Ragged right: narrow table cells cannot be justified without gaps.
  local blocks = {pandoc.RawBlock('man', '.ad l')}
  local german = doc.meta.lang ~= nil and pandoc.utils.stringify(doc.meta.lang) == 'de'
  for _, block in ipairs(doc.blocks) do
    if block.t == 'Header' and block.level == 1 and #blocks == 1 then
      for _, b in ipairs(name_section(block, german)) do table.insert(blocks, b) end
    elseif block.t == 'Header' then
      block.level = math.max(1, block.level - 1)
      if block.level == 1 then
        block.content = pandoc.List({pandoc.Str(pandoc.utils.stringify(block.content):upper())})
      end
      table.insert(blocks, block)
    else
      table.insert(blocks, block)
    end
  end
  return pandoc.Pandoc(blocks, doc.meta)
end

-- Fixed column widths add up past a terminal's width; tbl sizes the columns well itself.
function Table(tbl)
  for i, spec in ipairs(tbl.colspecs) do
    tbl.colspecs[i] = {spec[1], pandoc.ColWidthDefault}
  end
  return tbl
end

function Link(link)
  if link.target:match('%.md$') then return link.content end
end
