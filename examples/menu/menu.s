; Example menu program for a Romvane cartridge.
;
; Lists the titles of the game table (Gamedef.inc, written by the builder) and starts the
; one the cursor is on: Up and Down move the cursor, Left and Right turn a page of the
; list, a held direction repeats, Start or A starts the game. Every title shows as
; written, Chinese included: the builder renders the glyphs the titles use from its font
; into tile groups (Glyphs.inc) and gives each title as the tiles of its cells.
;
; Whatever reserve the build chose, the menu's last 32 KB (or all of a smaller reserve)
; end at the top of the first 512 KB page, so the CPU sees them through the same banks:
; 0x3C and 0x3D at $8000 and $A000, mapped by the reset code, and the last two at
; $C000-$FFFF, where the chip puts them at power-on. menu.cfg follows the reserve.

.include "vt03.inc"

VISIBLE_ROWS = MENU_ROWS    ; list rows on screen: one page, as the builder laid out its tiles
MAX_GAMES    = 512          ; the builder's limit
TABLE_BANK_8000 = $3C       ; 8 KB banks of the game table, below the fixed $C000-$FFFF
TABLE_BANK_A000 = $3D
REPEAT_DELAY = 18           ; frames a direction is held before it repeats
REPEAT_RATE  = 4            ; frames between repeats
PAD_MOVES    = PAD_UP | PAD_DOWN | PAD_LEFT | PAD_RIGHT

.assert <MAX_GAMES = 0, error, "count_games stops at a whole multiple of 256"

.segment "ZEROPAGE"
game_ptr:   .res 2          ; descriptor of the chosen game, for GameSub
launch_vec: .res 2          ; its start routine
ptr:        .res 2
game_count: .res 2
cursor:     .res 2          ; selected game, from 0
top:        .res 2          ; game shown on the first list row: a whole page
old_cursor: .res 2
old_top:    .res 2
next_top:   .res 2
row_game:   .res 2
pad:        .res 1
pad_prev:   .res 1
pressed:    .res 1          ; buttons that went down this frame
moves:      .res 1          ; directions to act on this frame: pressed or repeating
repeat_in:  .res 1          ; frames until a held direction acts again
frames:     .res 1          ; counted by the NMI
temp:       .res 1
page:       .res 1          ; the shown page, from 0
page_count: .res 1
cursor_row: .res 1          ; the cursor's list row on the shown page
row:        .res 1          ; the list row being drawn
number:     .res 2
digits:     .res 3          ; ones, tens, hundreds
column:     .res 1

.segment "BSS"
line:       .res 32         ; the top tiles of the text row being drawn

.segment "GAMES"
.include "Gamedef.inc"

; The glyphs of the titles, the heading and the numbers, rendered by the builder.
.include "Glyphs.inc"

.segment "CODE"

reset:
    sei
    cld
    ldx #$40
    stx APU_FRAME
    ldx #$FF
    txs
    inx
    stx PPU_CTRL
    stx PPU_MASK
    stx APU_DMC
    ; A 512 KB window on the first page; the game table's banks at $8000 and $A000.
    stx VT_OUTER_BANK
    stx VT_PRG_BASE
    stx VT_PRG_MODE
    lda #TABLE_BANK_8000
    sta VT_PRG_8000
    lda #TABLE_BANK_A000
    sta VT_PRG_A000
    jsr wait_vblank
    ; Clear the RAM while the picture processor warms up.
    txa
@clear:
    sta $0000,x
    sta $0200,x
    sta $0300,x
    sta $0400,x
    sta $0500,x
    sta $0600,x
    sta $0700,x
    inx
    bne @clear
    jsr wait_vblank
    jsr count_games
    jsr load_palette
    jsr draw_screen
    jsr show

main_loop:
    jsr wait_frame
    jsr read_pad
    lda game_count
    ora game_count+1
    beq main_loop           ; an empty cartridge has nothing to choose or start
    lda pressed
    and #PAD_START | PAD_A
    beq @move
    ; The game starts once the pad is let go: one that waits for a button (cc65's
    ; programs, title screens) must not take the press that chose it.
@release:
    jsr wait_frame
    jsr read_pad
    lda pad
    bne @release
    jmp start_game
@move:
    lda cursor
    sta old_cursor
    lda cursor+1
    sta old_cursor+1
    lda moves
    and #PAD_DOWN
    beq @up
    lda #1
    jsr forward
@up:
    lda moves
    and #PAD_UP
    beq @right
    lda #1
    jsr back
@right:
    lda moves
    and #PAD_RIGHT
    beq @left
    lda #VISIBLE_ROWS
    jsr forward
@left:
    lda moves
    and #PAD_LEFT
    beq @moved
    lda #VISIBLE_ROWS
    jsr back
@moved:
    lda cursor
    cmp old_cursor
    bne @follow
    lda cursor+1
    cmp old_cursor+1
    beq main_loop
@follow:
    jsr follow_cursor
    jmp main_loop

; cursor += A, at most the last game.
forward:
    clc
    adc cursor
    sta cursor
    bcc @clamp
    inc cursor+1
@clamp:
    lda cursor
    cmp game_count
    lda cursor+1
    sbc game_count+1
    bcc @done
    lda game_count
    sec
    sbc #1
    sta cursor
    lda game_count+1
    sbc #0
    sta cursor+1
@done:
    rts

; cursor -= A, at least the first game.
back:
    sta temp
    lda cursor
    sec
    sbc temp
    sta cursor
    bcs @done
    dec cursor+1
    bpl @done
    lda #0
    sta cursor
    sta cursor+1
@done:
    rts

; Keeps the cursor on screen: the list shows whole pages, and a cursor that leaves the
; shown page brings its own page, drawn with the picture off; otherwise only the rows'
; colours change.
follow_cursor:
    lda top
    sta old_top
    lda top+1
    sta old_top+1
@before:
    lda cursor
    cmp top
    lda cursor+1
    sbc top+1
    bcs @after
    lda top
    sec
    sbc #VISIBLE_ROWS
    sta top
    bcs @before
    dec top+1
    jmp @before
@after:
    lda top
    clc
    adc #VISIBLE_ROWS
    sta next_top
    lda top+1
    adc #0
    sta next_top+1
    lda cursor
    cmp next_top
    lda cursor+1
    sbc next_top+1
    bcc @placed
    lda next_top
    sta top
    lda next_top+1
    sta top+1
    jmp @after
@placed:
    lda top
    cmp old_top
    bne @page
    lda top+1
    cmp old_top+1
    bne @page
    lda cursor
    sec
    sbc top
    sta cursor_row
    jsr paint_rows
    jmp scroll_home
@page:
    lda #0
    sta PPU_MASK
    jsr draw_page
    jmp show

; The table ends with a zero word; the menu shows at most MAX_GAMES games.
count_games:
    lda #0
    sta game_count
    sta game_count+1
@next:
    lda game_count
    ldx game_count+1
    jsr entry_pointer
    ldy #0
    lda (ptr),y
    iny
    ora (ptr),y
    beq @done
    inc game_count
    bne @next
    inc game_count+1
    lda game_count+1
    cmp #>MAX_GAMES
    bcc @next
@done:
    rts

; ptr = the address of entry X:A (high:low) of the game table.
entry_pointer:
    stx ptr+1
    asl a
    rol ptr+1
    clc
    adc #<_GamesDefine
    sta ptr
    lda ptr+1
    adc #>_GamesDefine
    sta ptr+1
    rts

; game_ptr = the descriptor of game X:A.
descriptor_pointer:
    jsr entry_pointer
    ldy #0
    lda (ptr),y
    sta game_ptr
    iny
    lda (ptr),y
    sta game_ptr+1
    rts

; ---------------------------------------------------------------------------------------
; The screen. Text is drawn in cells of 8 x 16 pixels: a cell's top tile is a number below
; 128 and its bottom tile that number + 128, so a text row is one line of top tiles. The
; rows keep out of the outer 16 pixels of each side, which a television may not show.
BAR_ROW       = 2           ; tile row of the title bar
FIRST_ROW     = 6           ; tile row of the first list row; every row is two tile rows
NUMBER_END    = 5           ; column of a game number's last digit
TITLE_COLUMN  = 7
INDICATOR_END = 29          ; column of the page indicator's last digit
PANEL_LEFT    = 2           ; list rows are bars from this column ...
PANEL_END     = 30          ; ... to the one before this
CTRL_SHOWING  = %10010000   ; NMI on, name table $2000, background tiles at $1000
MASK_SHOWING  = %00001010   ; background on, also in the leftmost 8 pixels
PAL_BAR       = 0           ; background palettes: the title bar, ...
PAL_EVEN      = 1           ; ... the list rows in turn, ...
PAL_ODD       = 2
PAL_CURSOR    = 3           ; ... the cursor's row
; VT_CHR_HIGH for the tile groups: ROM address bits 18-20, in bits 4-6.
GLYPH_CHR_HIGH = ((glyph_group_000 >> 18) & 7) << 4

.assert FIRST_ROW .mod 2 = 0 && BAR_ROW .mod 2 = 0, error, "rows start a 16-pixel colour square"
.assert TITLE_COLUMN + MENU_TITLE_CELLS < PANEL_END, error, "a title must end before its bar"

; Pixel values: 0 the backdrop around the rows, 2 a row's bar, 3 text, 1 numbers.
palette:
    .byte $0F, $38, $12, $30    ; title bar: yellow numbers, white heading on blue
    .byte $0F, $3C, $02, $30    ; list rows: pale numbers, white titles on dark blue ...
    .byte $0F, $3C, $01, $30    ; ... and a blue a shade darker
    .byte $0F, $0F, $28, $0F    ; cursor: black on yellow
palette_end:

load_palette:
    bit PPU_STATUS
    lda #>PALETTE
    sta PPU_ADDR
    lda #<PALETTE
    sta PPU_ADDR
    ldx #0
@copy:
    lda palette,x
    sta PPU_DATA
    inx
    cpx #palette_end - palette
    bne @copy
    rts

; The whole screen on a cleared name table; the picture is off.
draw_screen:
    lda game_count
    ldx game_count+1
    clc
    adc #VISIBLE_ROWS - 1
    bcc @count
    inx
@count:
    jsr per_page
    stx page_count
    bit PPU_STATUS
    lda #>NAME_TABLE_0
    sta PPU_ADDR
    lda #<NAME_TABLE_0
    sta PPU_ADDR
    lda #CELL_EMPTY
    tax
    ldy #4                  ; 1 KB: tiles and attributes
@clear:
    sta PPU_DATA
    inx
    bne @clear
    dey
    bne @clear
    ; falls through

; The page that starts at game `top`: its tiles, the title bar, the rows and their
; colours. The picture is off.
draw_page:
    lda top
    ldx top+1
    jsr per_page
    stx page
    lda cursor
    sec
    sbc top
    sta cursor_row
    lda game_count
    ora game_count+1
    beq @rows               ; an empty table has no tile groups of its own
    jsr map_page_tiles
@rows:
    jsr draw_bar
    lda #0
    sta row
@row:
    jsr draw_row
    inc row
    lda row
    cmp #VISIBLE_ROWS
    bne @row
    jmp paint_rows

; X = X:A (high:low) divided by MENU_ROWS.
per_page:
    sta number
    stx number+1
    ldx #0
@next:
    lda number
    sec
    sbc #VISIBLE_ROWS
    tay
    lda number+1
    sbc #0
    bcc @done
    sta number+1
    sty number
    inx
    bne @next
@done:
    rts

; Shows the page's two tile groups: top tiles at $1000 and $1400, their bottom tiles, 1 KB
; further in the ROM, at $1800 and $1C00.
map_page_tiles:
    lda #<GLYPH_CHR_HIGH
    sta VT_CHR_HIGH
    lda #0
    sta VT_CHR_BANK_SIZE    ; the page registers reach the whole region
    lda page
    asl a
    tax
    lda page_groups,x
    ldy #MMC3_CHR_1000
    jsr set_tile_page
    ldy #MMC3_CHR_1800
    jsr set_next_tile_page
    lda page_groups+1,x
    ldy #MMC3_CHR_1400
    jsr set_tile_page
    ldy #MMC3_CHR_1C00
    ; falls through

; 1 KB page A + 1 (set_next_tile_page) or A (set_tile_page) where MMC3 command Y puts it.
; The chip takes the pages at its own registers; some emulators only through the MMC3
; interface.
set_next_tile_page:
    clc
    adc #1
set_tile_page:
    sty MMC3_SELECT
    sta MMC3_DATA
    pha
    lda tile_page_registers - MMC3_CHR_1000,y
    tay
    pla
    sta PPU_REGISTERS,y
    rts

tile_page_registers:
    .byte <VT_CHR_1000, <VT_CHR_1400, <VT_CHR_1800, <VT_CHR_1C00

; The title bar across the screen: the heading, and the page indicator "page/pages" at
; the right.
draw_bar:
    lda #CELL_BLANK
    ldx #31
@fill:
    sta line,x
    dex
    bpl @fill
    ldy #0
@heading:
    lda heading_tiles,y
    beq @indicator
    sta line + PANEL_LEFT,y
    iny
    bne @heading
@indicator:
    ldx #INDICATOR_END
    lda page_count
    jsr put_byte_number
    lda #CELL_SLASH
    sta line,x
    dex
    ldy page
    iny
    tya
    jsr put_byte_number
    lda #BAR_ROW
    jmp put_line

; List row `row`: game top + row's number and title on a bar, or nothing past the last game.
draw_row:
    lda #CELL_EMPTY
    ldx #31
@clear:
    sta line,x
    dex
    bpl @clear
    lda row
    clc
    adc top
    sta row_game
    lda top+1
    adc #0
    sta row_game+1
    lda row_game
    cmp game_count
    lda row_game+1
    sbc game_count+1
    bcs @put
    lda #CELL_BLANK
    ldx #PANEL_END - 1
@bar:
    sta line,x
    dex
    cpx #PANEL_LEFT
    bcs @bar
    lda row_game
    clc
    adc #1
    sta number
    lda row_game+1
    adc #0
    sta number+1
    ldx #NUMBER_END
    jsr put_number
    jsr title_pointer
    ldy #0
@cell:
    lda (ptr),y
    beq @put
    sta line + TITLE_COLUMN,y
    iny
    cpy #MENU_TITLE_CELLS
    bne @cell
@put:
    lda row
    asl a
    adc #FIRST_ROW
    ; falls through

; Writes `line` as tile row A and the bottom tiles of its cells as the row below.
put_line:
    sta ptr
    lda #0
    ldy #5
@times32:
    asl ptr
    rol a
    dey
    bne @times32
    ora #>NAME_TABLE_0
    bit PPU_STATUS
    sta PPU_ADDR
    lda ptr
    sta PPU_ADDR
    ldx #0
@top:
    lda line,x
    sta PPU_DATA
    inx
    cpx #32
    bne @top
    ldx #0
@bottom:
    lda line,x
    ora #$80
    sta PPU_DATA
    inx
    cpx #32
    bne @bottom
    rts

; ptr = the tiles of game row_game's title, which the builder laid out for its page.
title_pointer:
    lda row_game
    asl a
    sta ptr
    lda row_game+1
    rol a
    sta ptr+1
    lda ptr
    clc
    adc #<title_tiles
    sta ptr
    lda ptr+1
    adc #>title_tiles
    sta ptr+1
    ldy #0
    lda (ptr),y
    tax
    iny
    lda (ptr),y
    sta ptr+1
    stx ptr
    rts

; Writes A (or `number`, below 1000) into `line` with its last digit at column X and no
; leading zeros; X ends at the column before the first digit.
put_byte_number:
    sta number
    lda #0
    sta number+1
put_number:
    stx column
    ldy #0
@hundreds:
    lda number
    sec
    sbc #100
    tax
    lda number+1
    sbc #0
    bcc @tens
    sta number+1
    stx number
    iny
    bne @hundreds
@tens:
    sty digits+2
    lda number
    ldy #0
@ten:
    cmp #10
    bcc @ones
    sbc #10
    iny
    bne @ten
@ones:
    sty digits+1
    sta digits
    ldx column
    lda digits
    jsr @put
    lda digits+2
    ora digits+1
    beq @done
    lda digits+1
    jsr @put
    lda digits+2
    beq @done
@put:
    clc
    adc #CELL_DIGIT0
    sta line,x
    dex
@done:
    rts

; Colours the rows through the attribute table: the title bar, the list rows in turn and
; the cursor's row. Each attribute byte colours a 32-pixel square, two 16-pixel rows: bits
; 0-3 the upper one, bits 4-7 the lower.
paint_rows:
    bit PPU_STATUS
    lda #>ATTRIBUTE_TABLE_0
    sta PPU_ADDR
    lda #<ATTRIBUTE_TABLE_0
    sta PPU_ADDR
    lda #0
    sta temp
@square:
    lda temp
    asl a
    jsr row_palette
    sta column
    lda temp
    asl a
    ora #1
    jsr row_palette
    asl a
    asl a
    asl a
    asl a
    ora column
    ldx #8
@byte:
    sta PPU_DATA
    dex
    bne @byte
    inc temp
    lda temp
    cmp #8
    bne @square
    rts

; A = the palette of 16-pixel screen row A, in both squares of an attribute byte's half.
row_palette:
    sec
    sbc #FIRST_ROW / 2
    bcc @bar
    cmp #VISIBLE_ROWS
    bcs @bar
    cmp cursor_row
    beq @cursor
    and #1
    tay
    lda row_palettes,y
    rts
@cursor:
    lda #PAL_CURSOR * 5
    rts
@bar:
    lda #PAL_BAR * 5
    rts

row_palettes:
    .byte PAL_EVEN * 5, PAL_ODD * 5

; Turns the picture on at the next vertical blank.
show:
    jsr wait_vblank
    jsr scroll_home
    lda #MASK_SHOWING
    sta PPU_MASK
    rts

scroll_home:
    lda #CTRL_SHOWING
    sta PPU_CTRL
    lda #0
    sta PPU_SCROLL
    sta PPU_SCROLL
    rts

start_game:
    lda cursor
    ldx cursor+1
    jsr descriptor_pointer
    ldy #GAME_START
    lda (game_ptr),y
    sta launch_vec
    iny
    lda (game_ptr),y
    sta launch_vec+1
    jmp (launch_vec)        ; GameSub, with game_ptr naming the game

wait_vblank:
    bit PPU_STATUS
@wait:
    bit PPU_STATUS
    bpl @wait
    rts

; Waits for the next NMI.
wait_frame:
    lda frames
@wait:
    cmp frames
    beq @wait
    rts

; pressed = the buttons that went down since the last read; moves = the directions to
; act on: a fresh press at once, a held one after REPEAT_DELAY frames and then every
; REPEAT_RATE frames.
read_pad:
    lda pad
    sta pad_prev
    lda #1
    sta PAD_1
    lda #0
    sta PAD_1
    ldx #8
@bit:
    lda PAD_1
    lsr a
    rol pad
    dex
    bne @bit
    lda pad_prev
    eor #$FF
    and pad
    sta pressed
    and #PAD_MOVES
    beq @held
    sta moves
    lda #REPEAT_DELAY
    sta repeat_in
    rts
@held:
    sta moves
    lda pad
    and #PAD_MOVES
    beq @done
    dec repeat_in
    bne @done
    lda #REPEAT_RATE
    sta repeat_in
    lda pad
    and #PAD_MOVES
    sta moves
@done:
    rts

nmi:
    inc frames
irq:
    rti

.segment "VECTORS"
    .word nmi, reset, irq
