-- Pictures of the manual are the screenshots the build takes, referenced by file name. Each
-- is looked for in the folder PELNIX_MANUAL_PICTURES names; one that is missing is left out
-- (with a note on the build's output), so the manual builds without it.
local folder = os.getenv("PELNIX_MANUAL_PICTURES") or "."

local function exists(path)
  local file = io.open(path, "rb")
  if file then file:close() return true end
  return false
end

function Image(image)
  local path = folder .. "/" .. image.src
  if exists(path) then
    image.src = path
    return image
  end
  io.stderr:write("user manual: picture " .. image.src .. " is missing, left out\n")
  return {}
end

-- A paragraph left empty by a missing picture goes too.
function Para(para)
  if #para.content == 0 then return {} end
end
